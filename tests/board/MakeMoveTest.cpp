#include <array>
#include <cstring>
#include <string>

#include "board/Legality.h"
#include "board/MakeMove.h"
#include "board/MoveText.h"
#include "board/Perft.h"
#include "tests/board/MovesFixture.h"

namespace {

using MakeMoveTest = MovesTest;

using MaterialFields = std::array<int32_t, 13>;

// The material fields MakeMove keeps, as kept and as counted afresh from the board.
MaterialFields FieldsOf(const EvalState &s) {
  return {s.queenBalance,
          s.rookBalance,
          s.minorBalance,
          s.enginePawnMaterial,
          s.opponentPawnMaterial,
          s.engineMaterial,
          s.opponentMaterial,
          s.enginePieceMaterial,
          s.opponentPieceMaterial,
          s.engineBishopsOnColour1,
          s.engineBishopsOnColour0,
          s.opponentBishopsOnColour1,
          s.opponentBishopsOnColour0};
}

MaterialFields CountedFrom(const Board &board) {
  int n[PieceCodeCount] = {}, material[2] = {}, bishops[2][2] = {};
  for (int square = 21; square <= 98; square++) {
    uint8_t piece = board[square];
    if (!IsPlayingSquare(square) || piece == Empty) continue;
    int side = SideOf(piece) == EngineSide ? 0 : 1;
    n[piece]++;
    if (piece != EngineKing && piece != OpponentKing) material[side] += PieceValue[piece];
    if (piece == EngineBishop || piece == OpponentBishop) bishops[side][SquareColour[square]]++;
  }
  int pawns[2] = {95 * n[EnginePawn], 95 * n[OpponentPawn]};
  return {n[EngineQueen] - n[OpponentQueen],
          n[EngineRook] - n[OpponentRook],
          n[EngineKnight] + n[EngineBishop] - n[OpponentKnight] - n[OpponentBishop],
          pawns[0],
          pawns[1],
          material[0],
          material[1],
          material[0] - pawns[0],
          material[1] - pawns[1],
          bishops[0][1],
          bishops[0][0],
          bishops[1][1],
          bishops[1][0]};
}

MaterialFields Difference(MaterialFields a, const MaterialFields &b) {
  for (size_t i = 0; i < a.size(); i++) a[i] -= b[i];
  return a;
}

// Legality by first principles: the mover's king is not attacked afterwards, and a castling king
// was not in check and did not pass an attacked square.
bool LegalByFullTest(const Board &before, const Board &after, Move move, bool engineMoved) {
  int enemy = engineMoved ? OpponentSide : EngineSide;
  int king = after[engineMoved ? EngineKingSquare : OpponentKingSquare];
  if (IsAttacked(after, king, enemy)) return false;
  if (move.kind != CastlingMove) return true;
  return !IsAttacked(before, move.from, enemy) && !IsAttacked(before, (move.from + move.to) / 2, enemy);
}

uint8_t CapturedPiece(const Board &before, Move move, bool engineMoved) {
  if (move.kind == CaptureMove) return before[move.to];
  if (move.kind == EnPassantMove) return engineMoved ? OpponentPawn : EnginePawn;
  return 0;
}

// Every pseudo-legal move of a tree: material and key as a fresh count, ApplyMove's board, legality
// and the check a legal move gives, against the full tests.
void CheckTree(const Board &board, const EvalState &state, uint64_t key, int depth, bool engineToMove) {
  bool inCheck = SideToMoveInCheck(board, engineToMove);
  ForEachNodeMove(board, engineToMove, [&](Move move) {
    Board child;
    EvalState childState;
    bool legal = MakeLegalChild(board, state, move, engineToMove, inCheck, child, childState);
    std::string where = MoveText(move);
    EXPECT_EQ(legal, LegalByFullTest(board, child, move, engineToMove)) << where;
    bool givesCheck = MoveGivesCheck(child, move, engineToMove ? EngineSide : OpponentSide);
    EXPECT_TRUE(!legal || givesCheck == SideToMoveInCheck(child, !engineToMove)) << where;
    EXPECT_EQ(Difference(FieldsOf(childState), FieldsOf(state)),
              Difference(CountedFrom(child), CountedFrom(board)))
        << where;
    Board applied = board;
    ApplyMove(move, applied);
    EXPECT_EQ(std::memcmp(applied.cell, child.cell, BoardSize), 0) << where;
    uint64_t childKey = UpdateKey(key, move, board[move.from], CapturedPiece(board, move, engineToMove));
    EXPECT_EQ(childKey, ComputeKey(child)) << where;
    if (legal && depth > 1 && !::testing::Test::HasFailure())
      CheckTree(child, childState, childKey, depth - 1, !engineToMove);
  });
}

TEST_F(MakeMoveTest, IncrementalStateMatchesAFreshCountAcrossWholeTrees) {
  struct Case {
    const char *fen;
    int depth;
  };
  // Castling both ways, en passant, promotions with and without capture, checks and pins.
  const Case cases[] = {
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3},
      {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 3},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4},
      {"n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1", 3},
  };
  for (const Case &c : cases) {
    Board board = FenBoard(c.fen);
    CheckTree(board, EvalState{}, ComputeKey(board), c.depth, true);
    if (HasFailure()) FAIL() << c.fen;
  }
}

}  // namespace
