// Everything a move keeps up to date as it is made, against a fresh computation at every node of
// whole trees (castling both ways, en passant, promotions with and without capture, checks and pins)
// and of a few hundred random legal games: legality and the check a move gives against full attack
// tests, the board against ApplyMove's, the key, the material fields against the root's own count,
// the pawn bitboards, the pawn terms reused when no pawn changed, and an evaluation that leaves the
// board as it found it.
#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/Attacks.h"
#include "board/EvalState.h"
#include "board/Geometry.h"
#include "board/Legality.h"
#include "board/MakeMove.h"
#include "board/Move.h"
#include "board/MoveText.h"
#include "board/Perft.h"
#include "eval/Evaluate.h"
#include "eval/Pawns.h"
#include "eval/RootInputs.h"
#include "eval/Score.h"
#include "tests/board/MovesFixture.h"

namespace {

using IncrementalStateTest = MovesTest;

using MaterialFields = std::array<int32_t, 13>;

// The material fields MakeMove keeps up to date move by move.
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

// The same fields as a search's root counts them from the squares.
MaterialFields CountedFrom(Board board) { return FieldsOf(ScanEvalState(board)); }

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

// A position with what the search keeps for it.
struct Node {
  Board board;
  EvalState state;
  uint64_t key;
  bool engineToMove;
};

// The root of a search from the board, the engine to move, with its evaluation context.
Node RootNode(Board board, EvalContext &context) {
  EvalState state = ScanEvalState(board);
  context = EvalContext{};
  SetGameFlowFlags(context, board);
  SetRootValues(context, board, state);
  EvaluateRoot(board, state, context, NullMove);
  return Node{board, state, ComputeKey(board), true};
}

// Evaluates the node as the search does, the pawn terms afresh; when no pawn changed, once more
// reusing them, which must give the same record. The board comes back untouched.
void CheckEvaluation(Node &node, const EvalContext &context, Move move, bool pawnsUnchanged) {
  Board before = node.board;
  EvalState reused = node.state;
  Evaluate(node.board, node.state, node.engineToMove, move, true, true, context);
  SumScore(node.board, node.state, context, 2, 2);
  EXPECT_EQ(std::memcmp(&before, &node.board, sizeof before), 0);
  EXPECT_LT(std::abs(node.state.totalScore), 32000);
  if (!pawnsUnchanged) return;
  Evaluate(node.board, reused, node.engineToMove, move, false, true, context);
  SumScore(node.board, reused, context, 2, 2);
  EXPECT_EQ(std::memcmp(&reused, &node.state, sizeof reused), 0);
}

// Makes a pseudo-legal move of the node and checks all it updates; false when the move is illegal.
bool CheckMove(const Node &node, Move move, bool inCheck, const EvalContext &context, Node &child) {
  std::string where = MoveText(move);
  child.engineToMove = !node.engineToMove;
  bool legal =
      MakeLegalChild(node.board, node.state, move, node.engineToMove, inCheck, child.board, child.state);
  EXPECT_EQ(legal, LegalByFullTest(node.board, child.board, move, node.engineToMove)) << where;
  bool givesCheck = MoveGivesCheck(child.board, move, node.engineToMove ? EngineSide : OpponentSide);
  EXPECT_TRUE(!legal || givesCheck == SideToMoveInCheck(child.board, child.engineToMove)) << where;
  EXPECT_EQ(FieldsOf(child.state), CountedFrom(child.board)) << where;
  Board applied = node.board;
  ApplyMove(move, applied);
  EXPECT_EQ(std::memcmp(applied.cell, child.board.cell, BoardSize), 0) << where;
  uint8_t captured = CapturedPiece(node.board, move, node.engineToMove);
  child.key = UpdateKey(node.key, move, node.board[move.from], captured);
  EXPECT_EQ(child.key, ComputeKey(child.board)) << where;
  if (!legal) return false;
  UpdatePawnBits(move, captured, child.state, child.board);
  EvalState built{};
  BuildPawnBits(built, child.board);
  EXPECT_EQ(child.state.enginePawnBits, built.enginePawnBits) << where;
  EXPECT_EQ(child.state.opponentPawnBits, built.opponentPawnBits) << where;
  CheckEvaluation(child, context, move,
                  built.enginePawnBits == node.state.enginePawnBits &&
                      built.opponentPawnBits == node.state.opponentPawnBits);
  return true;
}

void CheckTree(const Node &node, const EvalContext &context, int depth) {
  bool inCheck = SideToMoveInCheck(node.board, node.engineToMove);
  ForEachNodeMove(node.board, node.engineToMove, [&](Move move) {
    Node child;
    if (CheckMove(node, move, inCheck, context, child) && depth > 1 && !::testing::Test::HasFailure())
      CheckTree(child, context, depth - 1);
  });
}

// Random legal games from the position, checked move by move; returns the positions played through.
int PlayRandomGames(const Board &start, int games, int maxPlies, std::mt19937 &random) {
  int positions = 0;
  for (int game = 0; game < games && !::testing::Test::HasFailure(); game++) {
    EvalContext context;
    Node node = RootNode(start, context);
    for (int ply = 0; ply < maxPlies; ply++, positions++) {
      std::vector<Move> moves;
      ForEachLegalChild(node.board, node.state, node.engineToMove,
                        [&](Move move, const Board &, const EvalState &) { moves.push_back(move); });
      if (moves.empty()) break;
      Node child;
      CheckMove(node, moves[random() % moves.size()], SideToMoveInCheck(node.board, node.engineToMove),
                context, child);
      node = child;
    }
  }
  return positions;
}

TEST_F(IncrementalStateTest, EveryNodeOfWholeTrees) {
  struct Case {
    const char *fen;
    int depth;
  };
  const Case cases[] = {
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3},
      {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 3},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4},
      {"n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1", 3},
  };
  for (const Case &c : cases) {
    EvalContext context;
    CheckTree(RootNode(FenBoard(c.fen), context), context, c.depth);
    if (HasFailure()) FAIL() << c.fen;
  }
}

TEST_F(IncrementalStateTest, EveryPositionOfRandomGames) {
  static_assert(sizeof(EvalState) == 200, "EvalState compared byte for byte has no padding");
  std::mt19937 random(20240611);
  // The start position, a middle game rich in castling and en passant, and two positions where
  // pawns promote soon.
  int positions = PlayRandomGames(StartBoard, 150, 160, random);
  for (const char *fen :
       {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"})
    positions += PlayRandomGames(FenBoard(fen), 50, 120, random);
  EXPECT_GT(positions, 10000);
}

}  // namespace
