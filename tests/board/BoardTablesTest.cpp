#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "tests/board/MovesFixture.h"

namespace {

using BoardTablesTest = MovesTest;

TEST_F(BoardTablesTest, HistoryOverflowKeepsTheLastEntryInFront) {
  Board board = StartBoard;
  Game.gameHistory.count = 0;
  for (uint32_t i = 1; i <= 110; i++) HistoryPush(board, 0, i, 0);
  EXPECT_EQ(Game.gameHistory.count, 110);
  HistoryPush(board, 0, 111, 0);
  EXPECT_EQ(Game.gameHistory.count, 110);
  EXPECT_EQ(Game.gameHistory.entry[1].keyLow, 110u);
  EXPECT_EQ(Game.gameHistory.entry[2].keyLow, 2u);
  EXPECT_EQ(Game.gameHistory.entry[110].keyLow, 111u);
}

}  // namespace
