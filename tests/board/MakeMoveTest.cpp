#include "board/MakeMove.h"

#include "board/Legality.h"
#include "board/MoveText.h"
#include "board/Perft.h"
#include "tests/board/MovesFixture.h"

namespace {

using MakeMoveTest = MovesTest;

// The material fields of an EvalState counted afresh from the board.
EvalState ScanMaterial(const Board &board) {
  EvalState state{};
  for (int square = 21; square <= 98; square++) {
    uint8_t piece = board[square];
    if (SideOf(piece) != EngineSide && SideOf(piece) != OpponentSide) continue;
    bool engine = SideOf(piece) == EngineSide;
    int sign = engine ? 1 : -1;
    if (piece != EngineKing && piece != OpponentKing) (engine ? state.engineMaterial : state.opponentMaterial) += PieceValue[piece];
    switch (piece & ~SideMask) {
      case EnginePawn & ~SideMask: (engine ? state.enginePawnMaterial : state.opponentPawnMaterial) += 95; break;
      case EngineQueen & ~SideMask: state.queenBalance += sign; break;
      case EngineRook & ~SideMask: state.rookBalance += sign; break;
      case EngineKnight & ~SideMask: state.minorBalance += sign; break;
      case EngineBishop & ~SideMask:
        state.minorBalance += sign;
        if (engine)
          (SquareColour[square] ? state.engineBishopsOnColour1 : state.engineBishopsOnColour0)++;
        else
          (SquareColour[square] ? state.opponentBishopsOnColour1 : state.opponentBishopsOnColour0)++;
        break;
      default: break;
    }
  }
  state.enginePieceMaterial = state.engineMaterial - state.enginePawnMaterial;
  state.opponentPieceMaterial = state.opponentMaterial - state.opponentPawnMaterial;
  return state;
}

void ExpectSameMaterial(const EvalState &made, const EvalState &scanned, const std::string &where) {
  EXPECT_EQ(made.enginePawnMaterial, scanned.enginePawnMaterial) << where;
  EXPECT_EQ(made.opponentPawnMaterial, scanned.opponentPawnMaterial) << where;
  EXPECT_EQ(made.engineMaterial, scanned.engineMaterial) << where;
  EXPECT_EQ(made.opponentMaterial, scanned.opponentMaterial) << where;
  EXPECT_EQ(made.enginePieceMaterial, scanned.enginePieceMaterial) << where;
  EXPECT_EQ(made.opponentPieceMaterial, scanned.opponentPieceMaterial) << where;
  EXPECT_EQ(made.queenBalance, scanned.queenBalance) << where;
  EXPECT_EQ(made.rookBalance, scanned.rookBalance) << where;
  EXPECT_EQ(made.minorBalance, scanned.minorBalance) << where;
  EXPECT_EQ(made.engineBishopsOnColour1, scanned.engineBishopsOnColour1) << where;
  EXPECT_EQ(made.engineBishopsOnColour0, scanned.engineBishopsOnColour0) << where;
  EXPECT_EQ(made.opponentBishopsOnColour1, scanned.opponentBishopsOnColour1) << where;
  EXPECT_EQ(made.opponentBishopsOnColour0, scanned.opponentBishopsOnColour0) << where;
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

// Walks the tree as perft does and checks every pseudo-legal move: the incremental material equals
// a fresh count, ApplyMove gives the same board, the incremental key equals a fresh key, and the
// legality test agrees with the full attack test.
void CheckTree(const Board &board, const EvalState &state, uint64_t key, int depth, bool engineToMove) {
  bool inCheck = SideToMoveInCheck(board, engineToMove);
  ForEachNodeMove(board, engineToMove, [&](Move move) {
    Board child;
    EvalState childState;
    bool legal = MakeLegalChild(board, state, move, engineToMove, inCheck, child, childState);
    std::string where = MoveText(move);
    EXPECT_EQ(legal, LegalByFullTest(board, child, move, engineToMove)) << where;
    ExpectSameMaterial(childState, ScanMaterial(child), where);
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
    CheckTree(board, ScanMaterial(board), ComputeKey(board), c.depth, true);
    if (HasFailure()) FAIL() << c.fen;
  }
}

TEST_F(MakeMoveTest, DoubleStepSetsEnPassantOnlyBesideAnEnemyPawn) {
  EvalState state{};
  Board board = PiecesBoard({{35, EnginePawn}, {54, OpponentPawn}});
  MakeMove(Move{35, 55, QuietMove, 0}, board, state);
  EXPECT_EQ(board[EnPassantSquare], 55);
  MakeMove(NullMove, board, state);  // any move, even no move, clears it
  EXPECT_EQ(board[EnPassantSquare], 0);
  EXPECT_EQ(board[55], EnginePawn);

  board = PiecesBoard({{35, EnginePawn}, {53, OpponentPawn}});
  MakeMove(Move{35, 55, QuietMove, 0}, board, state);
  EXPECT_EQ(board[EnPassantSquare], 0);

  board = PiecesBoard({{84, OpponentPawn}, {63, EnginePawn}});
  MakeMove(Move{84, 64, QuietMove, 0}, board, state);
  EXPECT_EQ(board[EnPassantSquare], 64);
}

TEST_F(MakeMoveTest, EnPassantAndPromotionMaterial) {
  Board board = PiecesBoard({{55, EnginePawn}, {54, OpponentPawn}});
  board[EnPassantSquare] = 54;
  EvalState state = ScanMaterial(board);
  MakeMove(Move{55, 64, EnPassantMove, 0}, board, state);
  EXPECT_EQ(board[54], Empty);
  EXPECT_EQ(board[64], EnginePawn);
  EXPECT_EQ(state.opponentMaterial, 0);
  EXPECT_EQ(state.opponentPawnMaterial, 0);

  // A pawn takes a rook on 96 and becomes a queen.
  board = PiecesBoard({{85, EnginePawn}, {96, OpponentRook}});
  state = ScanMaterial(board);
  MakeMove(Move{85, 96, CaptureMove, EngineQueen}, board, state);
  EXPECT_EQ(board[96], EngineQueen);
  EXPECT_EQ(state.opponentMaterial, 0);
  EXPECT_EQ(state.enginePawnMaterial, 0);
  EXPECT_EQ(state.engineMaterial, 900);
  EXPECT_EQ(state.queenBalance, 1);
  EXPECT_EQ(state.rookBalance, 0);

  // The opponent under-promotes to a bishop on a square of colour 0.
  board = PiecesBoard({{32, OpponentPawn}});
  state = ScanMaterial(board);
  MakeMove(Move{32, 22, QuietMove, OpponentBishop}, board, state);
  EXPECT_EQ(state.opponentMaterial, 310);
  EXPECT_EQ(state.opponentPieceMaterial, 310);
  EXPECT_EQ(state.opponentBishopsOnColour0, 1);
  EXPECT_EQ(state.minorBalance, -1);
}

TEST_F(MakeMoveTest, CastlingMovesTheRookAndScoresThePath) {
  Board board = PiecesBoard({{25, EngineKing}, {21, EngineRook}, {28, EngineRook}, {95, OpponentKing}, {91, OpponentRook}, {98, OpponentRook}});
  board[EngineRights] = 3;
  board[OpponentRights] = 3;
  EvalState rich{};
  rich.opponentMaterial = 1650;  // enough opponent pieces for the castling terms to count

  Board castled = board;
  EvalState state = rich;
  MakeMove(Move{25, 27, CastlingMove, 0}, castled, state);
  EXPECT_EQ(castled[26], EngineRook);
  EXPECT_EQ(castled[28], Empty);
  EXPECT_EQ(castled[27], EngineKing);
  EXPECT_EQ(castled[EngineKingSquare], 27);
  EXPECT_EQ(castled[EngineRights], 0);
  EXPECT_EQ(state.positionalAdjust, 25);

  Board stepped = board;
  state = rich;
  MakeMove(Move{25, 35, QuietMove, 0}, stepped, state);
  EXPECT_EQ(state.positionalAdjust, -10);

  Board poor = board;
  state = EvalState{};
  state.opponentMaterial = 1649;
  MakeMove(Move{25, 35, QuietMove, 0}, poor, state);
  EXPECT_EQ(state.positionalAdjust, 0);

  // A rook leaving its corner or taken in it loses only that side's right.
  Board rookMoved = board;
  MakeMove(Move{21, 31, QuietMove, 0}, rookMoved, state);
  EXPECT_EQ(rookMoved[EngineRights], 1);
  Board rookTaken = board;
  rookTaken[88] = EngineRook;
  MakeMove(Move{88, 98, CaptureMove, 0}, rookTaken, state);
  EXPECT_EQ(rookTaken[OpponentRights], 2);

  Board opponentCastled = board;
  state = EvalState{};
  state.engineMaterial = 1650;
  MakeMove(Move{95, 93, CastlingMove, 0}, opponentCastled, state);
  EXPECT_EQ(opponentCastled[94], OpponentRook);
  EXPECT_EQ(opponentCastled[91], Empty);
  EXPECT_EQ(opponentCastled[OpponentKingSquare], 93);
  EXPECT_EQ(state.positionalAdjust, -25);
}

TEST_F(MakeMoveTest, GPawnWatchFollowsTheKingsInTheGamePosition) {
  Board board = PiecesBoard({{27, EngineKing}, {47, EnginePawn}, {95, OpponentKing}, {87, OpponentPawn}});
  SetGPawnWatch(board);
  EXPECT_TRUE(GPawnWatch.engineGPawnWatch);
  EXPECT_FALSE(GPawnWatch.opponentGPawnWatch);
  EvalState state{};
  Board child = board;
  MakeMove(Move{47, 57, QuietMove, 0}, child, state);
  EXPECT_EQ(state.positionalAdjust, -30);
  child = board;
  state = EvalState{};
  MakeMove(Move{87, 67, QuietMove, 0}, child, state);  // the opponent's flag is clear
  EXPECT_EQ(state.positionalAdjust, 0);
  GPawnWatch = MoveFlags{};
}

TEST_F(MakeMoveTest, AttackTests) {
  Board board = PiecesBoard({{21, EngineBishop}});
  EXPECT_TRUE(IsAttacked(board, 98, EngineSide));
  EXPECT_FALSE(IsAttacked(board, 98, OpponentSide));
  board[54] = OpponentPawn;
  EXPECT_FALSE(IsAttacked(board, 98, EngineSide));
  EXPECT_TRUE(IsAttacked(board, 43, OpponentSide));  // the pawn on 54 attacks 43 and 45
  EXPECT_FALSE(IsAttacked(board, 44, OpponentSide));

  // A rook attacked only by a queen is not attacked by something cheaper; by a knight it is.
  Board rook = PiecesBoard({{55, EngineRook}, {85, OpponentQueen}});
  EXPECT_TRUE(IsAttacked(rook, 55, OpponentSide));
  EXPECT_FALSE(IsAttackedByCheaper(EngineRook, rook, 55, OpponentSide));
  rook[67] = OpponentKnight;
  EXPECT_TRUE(IsAttackedByCheaper(EngineRook, rook, 55, OpponentSide));
  EXPECT_FALSE(IsAttackedByCheaper(EngineBishop, rook, 55, OpponentSide));  // equal weight
  EXPECT_FALSE(IsAttackedByCheaper(EnginePawn, rook, 55, OpponentSide));
  EXPECT_TRUE(IsAttackedByCheaper(EngineKing, rook, 55, OpponentSide));  // any attack counts
}

TEST_F(MakeMoveTest, ThreatsAlongTheLineMovedOnDoNotCount) {
  // An opponent rook on 58 with the engine queen below it on the file: coming down the file it
  // threatens nothing new, coming along the row it does.
  Board board = PiecesBoard({{58, OpponentRook}, {28, EngineQueen}});
  Move downTheFile{88, 58, QuietMove, 0}, alongTheRow{51, 58, QuietMove, 0};
  EXPECT_FALSE(ThreatensHeavyPiece(board, downTheFile));
  EXPECT_TRUE(ThreatensHeavyPiece(board, alongTheRow));
  board[52] = EngineQueen;
  EXPECT_TRUE(ThreatensHeavyPiece(board, downTheFile));
  // A knight forks a rook; a pawn threatens a piece but not a pawn.
  Board knight = PiecesBoard({{45, EngineKnight}, {66, OpponentRook}});
  EXPECT_TRUE(ThreatensHeavyPiece(knight, Move{24, 45, QuietMove, 0}));
  Board pawn = PiecesBoard({{45, EnginePawn}, {54, OpponentPawn}});
  EXPECT_FALSE(ThreatensHeavyPiece(pawn, Move{35, 45, QuietMove, 0}));
  pawn[56] = OpponentKnight;
  EXPECT_TRUE(ThreatensHeavyPiece(pawn, Move{35, 45, QuietMove, 0}));
}

TEST_F(MakeMoveTest, LegalityCornerCases) {
  // The null move is refused only to a side in check.
  Board board = FenBoard("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_TRUE(IsLegalAfterMove(board, NullMove, EngineSide, false));
  EXPECT_FALSE(IsLegalAfterMove(board, NullMove, EngineSide, true));

  // A pinned bishop may take its pinner along the pin line but not leave it.
  board = FenBoard("4k3/8/8/8/q7/8/2B5/3K4 w - - 0 1");
  Move takePinner{Square(ParseSquare("C2")), Square(ParseSquare("A4")), CaptureMove, 0};
  Move leave{Square(ParseSquare("C2")), Square(ParseSquare("D3")), QuietMove, 0};
  for (auto [move, legal] : {std::pair{takePinner, true}, std::pair{leave, false}}) {
    Board child = board;
    EvalState state{};
    MakeMove(move, child, state);
    EXPECT_EQ(IsLegalAfterMove(child, move, EngineSide, false), legal) << MoveText(move);
  }
}

}  // namespace
