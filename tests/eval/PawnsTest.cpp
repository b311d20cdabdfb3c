// Pawn structure and passed pawns on hand-built positions; the expected values are worked out by hand.
#include <gtest/gtest.h>

#include "eval/EvalTestSupport.h"

namespace {

class PawnsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitEvalTables(); }
};

// Kings out of the way on 21 and 98, then the pawns.
EvalState Pawns(std::vector<Placement> pawns) {
  pawns.push_back({21, EngineKing});
  pawns.push_back({98, OpponentKing});
  return EvaluatedRoot(MakePosition(pawns));
}

PasserTotals TotalsOf(const Position &p, Move lastMove = NullMove) {
  Board board = p.board;
  EvalState s = EvaluatedRoot(p, lastMove);
  return EvaluatePassedPawns(board, s, true, lastMove, s.opponentPieceMaterial - 1650, s.enginePieceMaterial - 1650);
}

TEST_F(PawnsTest, StructureTerms) {
  const struct {
    std::vector<Placement> pawns;
    int32_t structure;
  } cases[] = {
      // Weaknesses beyond -80 are squeezed to (w - 80) / 4 - 80, truncating (a shift would give -41).
      {{{34, EnginePawn}, {37, EnginePawn}, {61, EnginePawn}}, 2 - 121},
      {{{34, EnginePawn}, {37, EnginePawn}, {71, EnginePawn}}, 2 - 120},
      {{{34, EnginePawn}, {37, EnginePawn}, {81, EnginePawn}}, 40 - 80},
      {{{85, OpponentPawn}, {82, OpponentPawn}, {88, OpponentPawn}}, 80},
      // Centre pawns without neighbours, with and without an opponent pawn in front.
      {{{34, EnginePawn}, {44, OpponentPawn}}, -18 - 20 + 6},
      {{{44, EnginePawn}, {54, OpponentPawn}}, -12 - 18 + 6},
      {{{44, EnginePawn}}, -38},
  };
  for (const auto &c : cases) EXPECT_EQ(Pawns(c.pawns).pawnStructureTerm, c.structure) << c.structure;
  EXPECT_EQ(Pawns({{73, OpponentPawn}, {83, OpponentPawn}}).doubledTerm, 15);
  EXPECT_EQ(Pawns({{33, EnginePawn}, {43, EnginePawn}, {53, EnginePawn}}).doubledTerm, -30);
}

TEST_F(PawnsTest, PasserListMarksConnectedPawnsWithASign) {
  EvalState s = Pawns({{38, EnginePawn}, {52, EnginePawn}, {63, EnginePawn}, {45, OpponentPawn}});
  ASSERT_EQ(s.enginePasserCount, 3);
  ASSERT_EQ(s.opponentPasserEnd, 9);
  EXPECT_EQ(std::vector<int>(s.passerList, s.passerList + 3), (std::vector<int>{-38, 52, 63}));
  EXPECT_EQ(s.passerList[8], -45);
  EXPECT_EQ(Pawns({{52, EnginePawn}, {73, OpponentPawn}}).enginePasserCount, 0) << "an enemy pawn ahead beside it";
}

TEST_F(PawnsTest, RunnersAndTheFreePath) {
  // Pawn on 72 against a bare king 6 from the queening square: runner 32 * 6 + 400, capped total.
  Position p = MakePosition({{21, EngineKing}, {58, OpponentKing}, {72, EnginePawn}});
  EXPECT_EQ(TotalsOf(p).engineRunnerBest, 592);
  EXPECT_EQ(EvaluatedRoot(p).passedPawnTerm, 750);
  EXPECT_EQ(TotalsOf(MakePosition({{21, EngineKing}, {83, OpponentKing}, {72, EnginePawn}})).engineRunnerBest, 0);
  // The free path (+60) is not given to the pawn that has just arrived, nor past a rook behind it.
  p = MakePosition({{21, EngineKing}, {95, OpponentKing}, {82, EnginePawn}, {57, OpponentRook}});
  EXPECT_EQ(TotalsOf(p).enginePasserSum, 132);
  EXPECT_EQ(TotalsOf(p, Move{72, 82, QuietMove, 0}).enginePasserSum, 72);
  p = MakePosition({{21, EngineKing}, {95, OpponentKing}, {82, EnginePawn}, {52, OpponentRook}});
  EXPECT_EQ(TotalsOf(p).enginePasserSum, 72);
  p = MakePosition({{98, EngineKing}, {91, OpponentKing}, {32, OpponentPawn}, {57, EngineRook}});
  EXPECT_EQ(TotalsOf(p).opponentPasserSum, 638);
  EXPECT_EQ(TotalsOf(p, Move{42, 32, QuietMove, 0}).opponentPasserSum, 88);
}

}  // namespace
