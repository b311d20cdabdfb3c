#include <gtest/gtest.h>

#include "board/Board.h"
#include "support/FreshEngine.h"

namespace {

class BoardTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { FreshEngine(); }
};

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

TEST_F(BoardTablesTest, RepetitionCountsMatchSideMarkerKeyAndBoard) {
  Board board = StartBoard;
  Board moved = StartBoard;
  moved[35] = Empty;
  moved[55] = EnginePawn;
  HistoryPush(board, 0, 7, 9);
  HistoryPush(moved, 0, 7, 9);  // same key, other board
  HistoryPush(board, 1, 7, 9);  // other side marker
  HistoryPush(board, 0, 7, 8);  // other key
  HistoryPush(board, 0, 7, 9);
  EXPECT_TRUE(IsRepeated(board, 0, 7, 9));
  EXPECT_TRUE(IsTwofold(board, 0, 7, 9));
  EXPECT_FALSE(IsThreefold(board, 0, 7, 9));
  HistoryPush(board, 0, 7, 9);
  EXPECT_TRUE(IsThreefold(board, 0, 7, 9));

  Board rights = board;
  rights[OpponentRights] = 1;
  EXPECT_FALSE(SamePosition(rights, board));
  EXPECT_FALSE(SameStateBytes(rights, board));
}

}  // namespace
