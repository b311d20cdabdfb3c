// Score summation and endgame scaling. Each case sets the positional terms by hand on a
// hand-built position (material from the board) and reads totalScore.
#include <gtest/gtest.h>

#include "eval/EvalTestSupport.h"

namespace {

class ScoreTest : public ::testing::Test {
 protected:
  void SetUp() override { InitEvalTables(); }
};

// totalScore of the position with positionalTerm as the only term, at a node of the given ply.
int32_t Score(Position p, int32_t positional, int ply = 1) {
  p.state.positionalTerm = positional;
  SumScore(p.board, p.state, p.context, 1, ply);
  return p.state.totalScore;
}

TEST_F(ScoreTest, NoEndgameScalingAboveBothPieceLimits) {
  // Queen and two rooks each (1860), three pawns each: doubled pawns count once.
  auto position = [](uint8_t thirdPiece) {
    Position p = MakePosition({{25, EngineKing},
                               {95, OpponentKing},
                               {24, EngineQueen},
                               {21, EngineRook},
                               {28, thirdPiece},
                               {94, OpponentQueen},
                               {91, OpponentRook},
                               {98, uint8_t(thirdPiece + 1)},
                               {31, EnginePawn},
                               {32, EnginePawn},
                               {33, EnginePawn},
                               {81, OpponentPawn},
                               {82, OpponentPawn},
                               {83, OpponentPawn}});
    p.state.doubledTerm = -15;
    return p;
  };
  EXPECT_EQ(Score(position(EngineRook), 0), -15);
  // A bishop for the second rook (1690 each): scaling applies and the doubled pawns count twice.
  EXPECT_EQ(Score(position(EngineBishop), 0), -30);
}

TEST_F(ScoreTest, ScalingNeverTurnsTheSign) {
  Position opponentKnight = MakePosition({{25, EngineKing}, {95, OpponentKing}, {55, OpponentKnight}});
  EXPECT_EQ(Score(opponentKnight, 105), -1);  // -200 / 256 is 0: the opponent keeps the edge, -1
  EXPECT_EQ(Score(opponentKnight, 305), 0);   // exactly 0 before the branches stays 0
  Position engineKnight = MakePosition({{25, EngineKing}, {95, OpponentKing}, {55, EngineKnight}});
  EXPECT_EQ(Score(engineKnight, -105), 1);
  EXPECT_EQ(Score(engineKnight, 0), 1);  // 305 / 256
}

TEST_F(ScoreTest, WrongBishopAndRookPawnDivideBy32) {
  // Opponent bishop and a pawn on column 1 (promoting on 21), engine king on 22 in that corner.
  // -405 - 100 (a piece up with a pawn, engine bare) - 95 / 4 - 95 / 2 = -575; one pawn:
  // min(-525, -71) = -525. A bishop on 55 (odd parity) cannot cover 21: -525 / 32.
  Position p = MakePosition({{22, EngineKing}, {98, OpponentKing}, {41, OpponentPawn}, {55, OpponentBishop}});
  EXPECT_EQ(Score(p, 0), -16);
  // The right bishop (54, even): no division; then the bare-king stretch: -525 + max(-1050, -350).
  p = MakePosition({{22, EngineKing}, {98, OpponentKing}, {41, OpponentPawn}, {54, OpponentBishop}});
  EXPECT_EQ(Score(p, 0), -875);
  // The engine king in the other corner does not hold the draw.
  p = MakePosition({{27, EngineKing}, {98, OpponentKing}, {41, OpponentPawn}, {55, OpponentBishop}});
  EXPECT_EQ(Score(p, 0), -875);

  // The engine's bishop and pawn on column 8 (queening on 98), opponent king on 87, bishop on 55
  // (odd parity, 98 is even): 405 + 100 + 95 / 2 = 552; one pawn: max(502, 69) = 502; / 32.
  p = MakePosition({{21, EngineKing}, {87, OpponentKing}, {58, EnginePawn}, {55, EngineBishop}});
  EXPECT_EQ(Score(p, 0), 15);

  // A bare king against a lone rook pawn in its corner: -95 - 95 / 4 - 95 / 2 = -165;
  // min(-115, -20) = -115; / 32.
  p = MakePosition({{28, EngineKing}, {95, OpponentKing}, {58, OpponentPawn}});
  EXPECT_EQ(Score(p, 0), -3);
}

TEST_F(ScoreTest, BishopAndKnightAreDrawishForTheEngineOnly) {
  Position engine =
      MakePosition({{25, EngineKing}, {95, OpponentKing}, {44, EngineBishop}, {45, EngineKnight}});
  EXPECT_EQ(Score(engine, 0), 615 / 16);
  Position opponent =
      MakePosition({{25, EngineKing}, {95, OpponentKing}, {44, OpponentBishop}, {45, OpponentKnight}});
  EXPECT_EQ(Score(opponent, 0), -615);
}

TEST_F(ScoreTest, EdgeTermOnlyWhereTheStrongerSideIsNotTooFarAhead) {
  // Rook and bishop (790) against a rook (480): within 310, so -310 / 16 and then the engine king on
  // a corner costs 2 * 4.
  Position p = MakePosition(
      {{21, EngineKing}, {95, OpponentKing}, {44, EngineRook}, {64, OpponentRook}, {65, OpponentBishop}});
  EXPECT_EQ(Score(p, 0), -310 / 16 - 8);
  p = MakePosition(
      {{45, EngineKing}, {95, OpponentKing}, {44, EngineRook}, {64, OpponentRook}, {65, OpponentBishop}});
  EXPECT_EQ(Score(p, 0), -310 / 16);
  // A queen against a bare king is not scaled, and the edge term does not apply either (-64 for
  // the queen balance).
  p = MakePosition({{21, EngineKing}, {95, OpponentKing}, {64, OpponentQueen}});
  EXPECT_EQ(Score(p, 0), -900 - 64);
}

TEST_F(ScoreTest, OppositeBishops) {
  Position p = MakePosition({{25, EngineKing}, {95, OpponentKing}, {23, EngineBishop}, {94, OpponentBishop}});
  EXPECT_FALSE(OppositeBishops(p.board));  // 23 and 94 both even
  p.board[94] = Empty;
  p.board[93] = OpponentBishop;
  EXPECT_TRUE(OppositeBishops(p.board));

  // Bishops and two engine pawns: 190 -> max(165, 47) = 165; opposite bishops: max(105, 20).
  p = MakePosition({{25, EngineKing},
                    {95, OpponentKing},
                    {23, EngineBishop},
                    {93, OpponentBishop},
                    {44, EnginePawn},
                    {45, EnginePawn}});
  EXPECT_EQ(Score(p, 0), 105);
  p.board[93] = Empty;
  p.board[94] = OpponentBishop;
  EXPECT_EQ(Score(p, 0), 165);
}

TEST_F(ScoreTest, ExchangeBalances) {
  // Queen, two rooks and a bishop (2170) against queen, rook, two bishops and a knight (2305): a rook
  // for two minor pieces, -25; the mirror +25.
  Position p = MakePosition({{25, EngineKing},
                             {95, OpponentKing},
                             {24, EngineQueen},
                             {21, EngineRook},
                             {28, EngineRook},
                             {23, EngineBishop},
                             {94, OpponentQueen},
                             {91, OpponentRook},
                             {93, OpponentBishop},
                             {96, OpponentBishop},
                             {97, OpponentKnight}});
  EXPECT_EQ(Score(p, 0), 2170 - 2305 - 25);
  p = MakePosition({{25, EngineKing},
                    {95, OpponentKing},
                    {24, EngineQueen},
                    {21, EngineRook},
                    {23, EngineBishop},
                    {26, EngineBishop},
                    {27, EngineKnight},
                    {94, OpponentQueen},
                    {91, OpponentRook},
                    {98, OpponentRook},
                    {93, OpponentBishop}});
  EXPECT_EQ(Score(p, 0), 2305 - 2170 + 25);
}

TEST_F(ScoreTest, CastlingPathAndDrawPull) {
  Position p = MakePosition({{25, EngineKing}, {95, OpponentKing}}, 3, 3);
  for (int square : {21, 26, 27, 28}) p.board[square] = EngineRook;    // rook material does not matter here
  for (int square : {91, 92, 96, 98}) p.board[square] = OpponentRook;  // both above 1690
  p.state = ScanEvalState(p.board);
  p.context.rootEngineRights = 3;
  p.context.rootOpponentRights = 0;
  int32_t blocked = Score(p, 0);
  p.context.rootEngineRights = 0;
  EXPECT_EQ(blocked - Score(p, 0), -30);  // 26 and 27 filled since the root
  p.context.rootOpponentRights = 3;
  EXPECT_EQ(Score(p, 0) - blocked, 15 + 30);  // 96 filled, and the engine's path no longer counted

  // The draw pull: half the way to 40, at most DrawishCap, below the root and while nothing has
  // been exchanged since it.
  Position even = MakePosition({{25, EngineKing},
                                {95, OpponentKing},
                                {24, EngineQueen},
                                {21, EngineRook},
                                {28, EngineRook},
                                {94, OpponentQueen},
                                {91, OpponentRook},
                                {98, OpponentRook}});
  even.context.drawishCap = 10;
  EXPECT_EQ(Score(even, 100, 2), 90);
  EXPECT_EQ(Score(even, 50, 2), 45);
  EXPECT_EQ(Score(even, 0, 2), 20);  // pulled up towards 40
  EXPECT_EQ(Score(even, 100, 1), 100);
  even.context.rootTotalMaterial += 95;
  EXPECT_EQ(Score(even, 100, 2), 100);
}

TEST_F(ScoreTest, KingTermsWeighFiveQuartersAndLazyReuseKeepsTheSum) {
  Position p = MakePosition({{25, EngineKing},
                             {95, OpponentKing},
                             {24, EngineQueen},
                             {21, EngineRook},
                             {28, EngineRook},
                             {94, OpponentQueen},
                             {91, OpponentRook},
                             {98, OpponentRook}});
  p.state.engineKingTerm = -7;      // -7 + -7 / 4 = -8
  p.state.opponentKingDanger = 64;  // +80
  EXPECT_EQ(Score(p, 0), -8 + 80);

  p.state.lazyReuse = 1;
  p.state.positionalSum = 77;
  p.context.lazyEvalDepth = 1;
  EXPECT_EQ(Score(p, 0), 77);
  p.context.lazyEvalDepth = 2;  // the node (depth 1) is above the limit
  EXPECT_EQ(Score(p, 0), -8 + 80);
}

}  // namespace
