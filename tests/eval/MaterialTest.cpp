#include "eval/Material.h"

#include "board/Geometry.h"
#include "eval/RootInputs.h"
#include "tests/board/MovesFixture.h"

namespace {

using MaterialTest = MovesTest;

// The signatures are sums of the piece values the board tables hold: if a value changes, the rules
// that test for "one rook" or "two pawns" must not silently stop matching.
TEST_F(MaterialTest, SignaturesAreThePieceValuesOfBothSides) {
  for (auto [engine, opponent] :
       {std::pair{EnginePawn, OpponentPawn}, std::pair{EngineKnight, OpponentKnight},
        std::pair{EngineBishop, OpponentBishop}, std::pair{EngineRook, OpponentRook}})
    EXPECT_EQ(PieceValue[engine], PieceValue[opponent]);
  EXPECT_EQ(OnePawn, PieceValue[EnginePawn]);
  EXPECT_EQ(OneKnight, PieceValue[EngineKnight]);
  EXPECT_EQ(OneBishop, PieceValue[EngineBishop]);
  EXPECT_EQ(OneRook, PieceValue[EngineRook]);
  EXPECT_EQ(OneQueen, PieceValue[EngineQueen]);
}

// Recounted from real positions, a side's piece material meets the predicate of the one piece it
// holds and no other, whatever the pawns.
TEST_F(MaterialTest, OnePieceEndingsMatchTheirPredicate) {
  Board board = FenBoard("4k3/1pp5/8/8/8/8/P7/R3K3 w - - 0 1");
  EvalState state = ScanEvalState(board);
  EXPECT_TRUE(HasOnlyRook(state.enginePieceMaterial));
  EXPECT_FALSE(HasOnlyBishop(state.enginePieceMaterial));
  EXPECT_EQ(state.enginePawnMaterial, OnePawn);
  EXPECT_EQ(state.opponentPawnMaterial, TwoPawns);
  EXPECT_EQ(state.opponentPieceMaterial, 0);

  board = FenBoard("2b1k3/8/8/8/8/8/8/1N2K3 w - - 0 1");
  state = ScanEvalState(board);
  EXPECT_TRUE(HasOnlyKnight(state.enginePieceMaterial));
  EXPECT_TRUE(HasOnlyBishop(state.opponentPieceMaterial));
  EXPECT_FALSE(HasOnlyKnight(state.opponentPieceMaterial));

  board = FenBoard("1n2k1b1/8/8/8/8/8/8/R3K2R w - - 0 1");
  state = ScanEvalState(board);
  EXPECT_EQ(state.enginePieceMaterial, TwoRooks);
  EXPECT_EQ(state.opponentPieceMaterial, BishopAndKnight);
}

}  // namespace
