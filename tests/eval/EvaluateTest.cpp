// Pieces, kings and threats, and the root inputs, on hand-built positions. The expected values are
// worked out from the rules by hand in the comments.
#include <gtest/gtest.h>

#include <cstring>

#include "eval/EvalTestSupport.h"

namespace {

class EvaluateTest : public ::testing::Test {
 protected:
  void SetUp() override { InitEvalTables(); }
};

TEST_F(EvaluateTest, ScanEndsAtTheSentinel) {
  Position plain = MakePosition({{21, EngineKing}, {98, OpponentKing}, {45, EngineKnight}});
  Position beyond = plain;
  beyond.board[100] = OpponentQueen;  // past the sentinel on 99: no piece of the position
  EvalState a = EvaluatedRoot(plain), b = EvaluatedRoot(beyond);
  EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

TEST_F(EvaluateTest, RookFileScansRunToTheBorderRows) {
  // Rook 24: the file is open past the rook on 84 (doubling 5) to the border at 104 (20), row
  // mobility of column 4 (24): 49. Rook 84: open to 104 (20), no row term above row 7, nothing
  // between it and its back row: 20. Opponent rook 76: open down to 16 (-20), row mobility of
  // column 6 with 75 empty (-24).
  Position p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {24, EngineRook}, {84, EngineRook}});
  EvalState s = EvaluatedRoot(p);
  EXPECT_EQ(s.positionalTerm, 69);
  EXPECT_EQ(s.pieceSquareSum, 40);

  p = MakePosition(
      {{21, EngineKing}, {98, OpponentKing}, {24, EngineRook}, {84, EngineRook}, {76, OpponentRook}});
  EXPECT_EQ(EvaluatedRoot(p).positionalTerm, 69 - 44);
}

TEST_F(EvaluateTest, RookFacingAPawnAndCutFromItsBackRow) {
  // Rook 44 meets the opponent pawn on 74 with no pawn beside it: +8 (plus the doubling count, 0);
  // the file end 74 is worth 8; column 4 gives 24; the knight on 34 stands between the rook and its
  // back row: -15. Knight 34: mobility 12. Opponent rook 91: its file runs past the engine king to
  // the border on 11 (-18); row mobility on column 1 with 92..94 empty (-24). In the ending the
  // engine king is 5 from the opponent pawn, with 785 of engine pieces: -(8 * 5 - 8).
  Position p = MakePosition({{21, EngineKing},
                             {98, OpponentKing},
                             {44, EngineRook},
                             {34, EngineKnight},
                             {74, OpponentPawn},
                             {91, OpponentRook}});
  EXPECT_EQ(EvaluatedRoot(p).positionalTerm, (8 + 8 + 24 - 15) + 12 + (-18 - 24) - 32);

  // A defended pawn on 74 gives the rook nothing for the half-open file; the defender on 85 is the
  // farthest opponent pawn now, 6 from the engine king.
  p.board[85] = OpponentPawn;
  p.state = ScanEvalState(p.board);
  EXPECT_EQ(EvaluatedRoot(p).positionalTerm, (8 + 24 - 15) + 12 + (-18 - 24) - 40);
}

TEST_F(EvaluateTest, KingEndTableWeightFollowsTheOpponentsPieces) {
  // EngineKingEndTable[45] = 5.
  auto kingTerm = [](std::initializer_list<Placement> opponentPieces) {
    Position p = MakePosition({{45, EngineKing}, {98, OpponentKing}});
    for (const Placement &q : opponentPieces) p.board[q.square] = q.piece;
    p.state = ScanEvalState(p.board);
    return EvaluatedRoot(p).engineKingTerm;
  };
  EXPECT_EQ(kingTerm({{91, OpponentRook}}), 2 * 5);                        // a lone rook: doubled
  EXPECT_EQ(kingTerm({{91, OpponentQueen}}), 4 * 5);                       // 900: quadrupled
  EXPECT_EQ(kingTerm({{91, OpponentRook}, {92, OpponentBishop}}), 4 * 5);  // 790
  EXPECT_EQ(kingTerm({{91, OpponentRook}, {92, OpponentRook}, {93, OpponentBishop}}), 5);  // 1270
  // Middle game (1690): a king off its first two rows, with the opponent queen on: -112.
  EXPECT_EQ(kingTerm({{91, OpponentQueen}, {92, OpponentRook}, {93, OpponentBishop}}), -112);
  // Without the opponent queen a quarter of it is taken back (1885 of rooks and minors).
  EXPECT_EQ(kingTerm({{91, OpponentRook},
                      {92, OpponentRook},
                      {93, OpponentBishop},
                      {94, OpponentBishop},
                      {96, OpponentKnight}}),
            -112 + 28);
}

TEST_F(EvaluateTest, BishopDiagonalReachStepsBackFromTheBorder) {
  // From 23 the +11 diagonal meets the border on 89 and ends on 78 (24); the +9 one ends on 41 (6).
  Position p = MakePosition({{28, EngineKing}, {91, OpponentKing}, {23, EngineBishop}});
  EXPECT_EQ(EvaluatedRoot(p).positionalTerm, 24);

  // An opponent pawn on 56 stops the diagonal one square beyond it, on 67 (18). The pawn is 3 from
  // the engine king in the ending: -(8 * 3 - 8).
  p = MakePosition({{28, EngineKing}, {91, OpponentKing}, {23, EngineBishop}, {56, OpponentPawn}});
  EXPECT_EQ(EvaluatedRoot(p).positionalTerm, 18 - 16);

  // With the board ending behind the pawn (78), the diagonal ends on the pawn (24); distance 5.
  p = MakePosition({{28, EngineKing}, {91, OpponentKing}, {23, EngineBishop}, {78, OpponentPawn}});
  EXPECT_EQ(EvaluatedRoot(p).positionalTerm, 24 - 32);
}

TEST_F(EvaluateTest, BishopPairAndHomeSquares) {
  // 23 reaches 78 (24), 26 reaches 71 (24); the pair against a bare king: +50.
  Position p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {23, EngineBishop}, {26, EngineBishop}});
  EXPECT_EQ(EvaluatedRoot(p).positionalTerm, 24 + 24 + 50);
}

TEST_F(EvaluateTest, NoThreatFromOrOntoTheSquareJustMovedTo) {
  Position engine = MakePosition(
      {{21, EngineKing}, {98, OpponentKing}, {44, EnginePawn}, {53, OpponentKnight}, {55, OpponentKnight}});
  EXPECT_EQ(EvaluatedRoot(engine).threatTerm, 130);
  EXPECT_EQ(EvaluatedRoot(engine, Move{34, 44, QuietMove, 0}).threatTerm, 0);   // the pawn just moved
  EXPECT_EQ(EvaluatedRoot(engine, Move{74, 55, QuietMove, 0}).threatTerm, 65);  // the knight on 55 did

  Position opponent = MakePosition(
      {{21, EngineKing}, {98, OpponentKing}, {65, OpponentPawn}, {54, EngineKnight}, {56, EngineBishop}});
  EXPECT_EQ(EvaluatedRoot(opponent).threatTerm, -300);
  EXPECT_EQ(EvaluatedRoot(opponent, Move{75, 65, QuietMove, 0}).threatTerm, 0);
  EXPECT_EQ(EvaluatedRoot(opponent, Move{34, 56, QuietMove, 0}).threatTerm, -150);
}

TEST_F(EvaluateTest, EscapeDangerCountsSafeSquaresAroundTheInwardSquare) {
  // The king on 21 looks from 32.
  Position p = MakePosition({{21, EngineKing}, {98, OpponentKing}});
  Board before = p.board;
  EXPECT_EQ(EscapeDanger(p.board, EngineSide), 0);  // four safe squares found at once

  p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {32, OpponentQueen}});
  before = p.board;
  EXPECT_EQ(EscapeDanger(p.board, EngineSide), 128);  // the queen covers all eight
  EXPECT_EQ(std::memcmp(&before, &p.board, sizeof before), 0);

  // Rooks on 41 and 43 leave only 22 safe (21 counts as attacked with the king lifted).
  p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {41, OpponentRook}, {43, OpponentRook}});
  EXPECT_EQ(EscapeDanger(p.board, EngineSide), 96);

  // In the evaluation: with 900 of opponent pieces (phase -750) the danger is not halved.
  p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {32, OpponentQueen}});
  EXPECT_EQ(EvaluatedRoot(p).engineKingDanger, 128);
}

TEST_F(EvaluateTest, KingShelterRunsWhenTheEngineMayCastleOrHasCastled) {
  // A middle game for the engine king (opponent queen and rooks, 1860), king on 25, rook on 28.
  auto kingTerm = [](bool pawnOn35, uint8_t rights, bool bishopOn26) {
    Position p = MakePosition({{25, EngineKing},
                               {28, EngineRook},
                               {34, EnginePawn},
                               {95, OpponentKing},
                               {94, OpponentQueen},
                               {91, OpponentRook},
                               {92, OpponentRook}},
                              rights);
    if (pawnOn35) p.board[35] = EnginePawn;
    if (bishopOn26) p.board[26] = EngineBishop;
    p.state = ScanEvalState(p.board);
    SetGameFlowFlags(p.context, p.board);
    return EvaluatedRoot(p).engineKingTerm;
  };
  EXPECT_EQ(kingTerm(true, 1, false), 0);     // castle-ready, the e-file covered by the pawn on 35
  EXPECT_EQ(kingTerm(false, 1, false), -48);  // castle-ready, no pawn on the king's file
  EXPECT_EQ(kingTerm(false, 1, true), 0);     // may castle but not ready: no king rules
  // Castled (rights 0): also the g- and h-file (-12 each) and the f-pawn missing (-6).
  EXPECT_EQ(kingTerm(false, 0, false), -48 - 12 - 12 - 6);
}

TEST_F(EvaluateTest, OpponentHeavyPiecesOnTheEnginesSecondRow) {
  // Each rook's file is open down to row 1 (-20 each); two heavy pieces on row 3 with the engine
  // king on its back row: -36, elsewhere -18.
  Position p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {33, OpponentRook}, {36, OpponentRook}});
  EXPECT_EQ(EvaluatedRoot(p).positionalTerm, -40 - 36);
  p = MakePosition({{45, EngineKing}, {98, OpponentKing}, {33, OpponentRook}, {36, OpponentRook}});
  EXPECT_EQ(EvaluatedRoot(p).positionalTerm, -40 - 18);
}

TEST_F(EvaluateTest, PieceBlockingTheCPawnTakesTheGameFlowPenalty) {
  Position p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {33, EnginePawn}, {43, EngineKnight}});
  ASSERT_EQ(p.context.cPawnBlockPenalty, -15);
  int32_t withPenalty = EvaluatedRoot(p).positionalTerm;
  p.context.cPawnBlockPenalty = 0;
  EXPECT_EQ(withPenalty - EvaluatedRoot(p).positionalTerm, -15);
}

TEST_F(EvaluateTest, EvaluationLeavesTheBoardAsItFoundIt) {
  Position p = MakePosition({{21, EngineKing},
                             {95, OpponentKing},
                             {82, EnginePawn},
                             {32, OpponentPawn},
                             {57, OpponentRook},
                             {41, EngineRook},
                             {66, OpponentQueen}});
  Board before = p.board;
  EvaluateRoot(p.board, p.state, p.context, NullMove);
  EXPECT_EQ(std::memcmp(&before, &p.board, sizeof before), 0);
}

// ---------------------------------------------------------------------------------------------
// Root inputs.

TEST_F(EvaluateTest, ScanOfTheStartPosition) {
  Board board = StartBoard;
  EvalState s = ScanEvalState(board);
  EXPECT_EQ(board[EngineKingSquare], 25);
  EXPECT_EQ(board[OpponentKingSquare], 95);
  EXPECT_EQ(s.enginePawnMaterial, 760);
  EXPECT_EQ(s.opponentPawnMaterial, 760);
  EXPECT_EQ(s.engineMaterial, 3850);
  EXPECT_EQ(s.enginePieceMaterial, 3090);
  EXPECT_EQ(s.opponentPieceMaterial, 3090);
  EXPECT_EQ(s.queenBalance, 0);
  EXPECT_EQ(s.engineBishopsOnColour1, 1);  // 23
  EXPECT_EQ(s.engineBishopsOnColour0, 1);  // 26
  EXPECT_EQ(s.opponentBishopsOnColour1, 1);
  EXPECT_EQ(s.futilityMargin, NoFutilityMargin);
  EXPECT_EQ(s.extensionCredit, 0);
  EXPECT_EQ(s.opponentPasserEnd, 0);

  // An imbalance: the engine a rook and a bishop up against two knights.
  Position p = MakePosition({{25, EngineKing},
                             {95, OpponentKing},
                             {21, EngineRook},
                             {28, EngineRook},
                             {44, EngineBishop},
                             {91, OpponentRook},
                             {92, OpponentKnight},
                             {97, OpponentKnight}});
  EXPECT_EQ(p.state.rookBalance, 1);
  EXPECT_EQ(p.state.minorBalance, -1);
  EXPECT_EQ(p.state.engineBishopsOnColour0, 1);
  EXPECT_EQ(p.state.enginePieceMaterial, 1270);
  EXPECT_EQ(p.state.opponentPieceMaterial, 1090);
}

TEST_F(EvaluateTest, CastleReadyNeedsRightsAndAnEmptyPath) {
  Board board = EmptyBoard;
  board[25] = EngineKing;
  board[95] = OpponentKing;
  board[EngineRights] = 1;
  EXPECT_TRUE(EngineCastleReady(board));
  board[27] = EngineKnight;
  EXPECT_FALSE(EngineCastleReady(board));
  board[EngineRights] = 3;  // the queen side is still open
  EXPECT_TRUE(EngineCastleReady(board));
  board[22] = EngineKnight;
  EXPECT_FALSE(EngineCastleReady(board));
  board[EngineRights] = 0;
  board[22] = board[27] = Empty;
  EXPECT_FALSE(EngineCastleReady(board));

  board[OpponentRights] = 2;
  EXPECT_TRUE(OpponentCastleReady(board));
  board[94] = OpponentQueen;
  EXPECT_FALSE(OpponentCastleReady(board));
}

TEST_F(EvaluateTest, CPawnBlockPenaltyAndRootRights) {
  Board board = StartBoard;
  EXPECT_EQ(CPawnBlockPenalty(board), -15);
  board[55] = EnginePawn;
  EXPECT_EQ(CPawnBlockPenalty(board), 0);
  board[55] = Empty;
  board[33] = Empty;
  EXPECT_EQ(CPawnBlockPenalty(board), 0);

  board[EngineRights] = 2;
  board[OpponentRights] = 1;
  EXPECT_EQ(RootEngineRights(board), 2);
  EXPECT_EQ(RootOpponentRights(board), 1);
}

}  // namespace
