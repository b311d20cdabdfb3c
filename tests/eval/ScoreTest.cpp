// Score summation and endgame scaling: the positional terms set by hand on a hand-built position
// (material from the board), then totalScore read back.
#include <gtest/gtest.h>

#include "eval/EvalTestSupport.h"

namespace {

class ScoreTest : public ::testing::Test {
 protected:
  void SetUp() override { InitEvalTables(); }
};

int32_t Score(Position p, int32_t positional, int ply = 1) {
  p.state.positionalTerm = positional;
  SumScore(p.board, p.state, p.context, 1, ply);
  return p.state.totalScore;
}

TEST_F(ScoreTest, EndgameScalingTable) {
  const struct {
    std::vector<Placement> pieces;
    int32_t positional, expected;
  } cases[] = {
      // Scaling never turns the sign: -200 / 256 stays -1 for the opponent, exactly 0 stays 0.
      {{{25, EngineKing}, {95, OpponentKing}, {55, OpponentKnight}}, 105, -1},
      {{{25, EngineKing}, {95, OpponentKing}, {55, OpponentKnight}}, 305, 0},
      // Wrong bishop and rook pawn with the defending king in the corner: / 32, truncated.
      {{{22, EngineKing}, {98, OpponentKing}, {41, OpponentPawn}, {55, OpponentBishop}}, 0, -16},
      {{{22, EngineKing}, {98, OpponentKing}, {41, OpponentPawn}, {54, OpponentBishop}}, 0, -875},
      {{{21, EngineKing}, {87, OpponentKing}, {58, EnginePawn}, {55, EngineBishop}}, 0, 15},
      {{{28, EngineKing}, {95, OpponentKing}, {58, OpponentPawn}}, 0, -3},
      // Bishop and knight are drawish for the engine only.
      {{{25, EngineKing}, {95, OpponentKing}, {44, EngineBishop}, {45, EngineKnight}}, 0, 615 / 16},
      {{{25, EngineKing}, {95, OpponentKing}, {44, OpponentBishop}, {45, OpponentKnight}}, 0, -615},
      // Rook and bishop against a rook: / 16, and the engine king in a corner costs 8 more.
      {{{21, EngineKing}, {95, OpponentKing}, {44, EngineRook}, {64, OpponentRook}, {65, OpponentBishop}}, 0,
       -310 / 16 - 8},
      {{{21, EngineKing}, {95, OpponentKing}, {64, OpponentQueen}}, 0, -900 - 64},
      // Bishops and two pawns: same-coloured max(165, 47), opposite max(105, 20).
      {{{25, EngineKing}, {95, OpponentKing}, {23, EngineBishop}, {93, OpponentBishop}, {44, EnginePawn},
        {45, EnginePawn}}, 0, 105},
      {{{25, EngineKing}, {95, OpponentKing}, {23, EngineBishop}, {94, OpponentBishop}, {44, EnginePawn},
        {45, EnginePawn}}, 0, 165},
      // A rook for two minor pieces: -25.
      {{{25, EngineKing}, {95, OpponentKing}, {24, EngineQueen}, {21, EngineRook}, {28, EngineRook},
        {23, EngineBishop}, {94, OpponentQueen}, {91, OpponentRook}, {93, OpponentBishop}, {96, OpponentBishop},
        {97, OpponentKnight}}, 0, 2170 - 2305 - 25},
  };
  for (const auto &c : cases) EXPECT_EQ(Score(MakePosition(c.pieces), c.positional), c.expected) << c.expected;
}

TEST_F(ScoreTest, DrawPullKingWeightAndLazyReuse) {
  Position even = MakePosition({{25, EngineKing}, {95, OpponentKing}, {24, EngineQueen}, {21, EngineRook},
                                {28, EngineRook}, {94, OpponentQueen}, {91, OpponentRook}, {98, OpponentRook}});
  // The draw pull: half the way to 40, at most the cap, below the root and with nothing exchanged.
  Position p = even;
  p.context.drawishCap = 10;
  EXPECT_EQ(Score(p, 100, 2), 90);
  EXPECT_EQ(Score(p, 0, 2), 20);
  EXPECT_EQ(Score(p, 100, 1), 100);
  p.context.rootTotalMaterial += 95;
  EXPECT_EQ(Score(p, 100, 2), 100);

  // King terms weigh five quarters; doubled pawns count once above both piece limits.
  even.state.engineKingTerm = -7;
  even.state.opponentKingDanger = 64;
  even.state.doubledTerm = -15;
  EXPECT_EQ(Score(even, 0), -8 + 80 - 15);
  even.state.lazyReuse = 1;
  even.state.positionalSum = 77;
  even.context.lazyEvalDepth = 1;
  EXPECT_EQ(Score(even, 0), 77);
  even.context.lazyEvalDepth = 2;  // the node is above the limit
  EXPECT_EQ(Score(even, 0), -8 + 80 - 15);
}

}  // namespace
