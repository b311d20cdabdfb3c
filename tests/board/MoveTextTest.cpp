#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "tests/board/MovesFixture.h"

namespace {

using MoveTextTest = MovesTest;

TEST_F(MoveTextTest, SquaresInBothOrientationsAndMalformedText) {
  EXPECT_EQ(SquareName(21), "A1");
  EXPECT_EQ(ParseSquare("E 2"), 35);
  for (const char *bad : {"E22", "E", "", "I2", "E9", "E0", "@2", "K2", "U1", "e-"})
    EXPECT_EQ(ParseSquare(bad), 0) << bad;
  for (const char *bad : {"e2", "e2x4", "z2e4"}) EXPECT_EQ(ParseMove(bad), NullMove) << bad;
  EXPECT_EQ(ParseMove("e2e4q"), (Move{35, 55, QuietMove, 0}));
  EXPECT_EQ(SquareName(20), "RR");
  EXPECT_EQ(SquareName(-1), "??");
  EXPECT_EQ(SquareName(128), "??");
  Game.engineIsWhite = false;
  EXPECT_EQ(SquareName(98), "H1");
  EXPECT_EQ(ParseSquare("e8"), 25);
  EXPECT_EQ(CompactMoveText(Move{35, 55, QuietMove, 0}), "E7E5");
}

TEST_F(MoveTextTest, TypedPromotionWithTheEnginePlayingBlack) {
  Board board = FenBoard("7k/P7/8/8/8/8/8/K7 b - - 0 1");  // a7 is index 31 from Black's side
  auto typed = [&board](const char *text) {
    Move move = ParseMove(text);
    FindOpponentMove(board, move);
    if (move.promotion != 0) move.promotion = TypedPromotionPiece(text);
    return move;
  };
  EXPECT_EQ(typed("a7a8t"), (Move{31, 21, QuietMove, OpponentRook}));
  EXPECT_EQ(typed("a7a8l").promotion, OpponentBishop);
  EXPECT_EQ(typed("a7a8p").promotion, OpponentKnight);
  EXPECT_EQ(typed("a7a8x").promotion, OpponentQueen);
}

}  // namespace
