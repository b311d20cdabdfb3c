#include <gtest/gtest.h>

#include "board/Board.h"
#include "driver/Clock.h"
#include "driver/GameFlow.h"

namespace {

constexpr double Second = 1.0 / 86400.0;

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitBoardTables();
    ResetClock();
    ResetGameFlow();
    Clock.nominalDepth = Clock.minTimeStopDepth = 12;
  }
};

TEST_F(ClockTest, LevelWithPeriods) {
  HandleLevel("level 40 5 0");
  EXPECT_EQ(Clock.movesPerPeriod, 40);
  EXPECT_NEAR(Clock.baseTime / Second, 298.0, 1e-6);
  EXPECT_DOUBLE_EQ(Clock.timeLeft, Clock.baseTime);
  EXPECT_EQ(Clock.increment, 0);
  HandleLevel("level 40 5 3");
  EXPECT_EQ(Clock.increment, 0);  // ignored with periods
}

TEST_F(ClockTest, LevelWithIncrement) {
  HandleLevel("level 0 2 12");
  EXPECT_EQ(Clock.movesPerPeriod, 0);
  EXPECT_NEAR(Clock.baseTime / Second, 118.0, 1e-6);
  EXPECT_NEAR(Clock.increment / Second, 12.0, 1e-9);
  HandleLevel("level 0 1 0.5\r");
  EXPECT_NEAR(Clock.increment / Second, 0.5, 1e-9);
}

TEST_F(ClockTest, LevelMinutesAndSecondsFallBackToFiveMinutes) {
  HandleLevel("level 40 0:30 0");
  EXPECT_NEAR(Clock.baseTime / Second, 300.0, 1e-6);
  EXPECT_EQ(Clock.movesPerPeriod, 40);
  HandleLevel("level");
  EXPECT_NEAR(Clock.baseTime / Second, 300.0, 1e-6);
  EXPECT_EQ(Clock.movesPerPeriod, 0);
  EXPECT_EQ(Clock.increment, 0);
}

TEST_F(ClockTest, TimeCommand) {
  HandleTime("6000");
  EXPECT_NEAR(Clock.timeLeft / Second, 59.7, 1e-9);
  HandleTime("20");
  EXPECT_EQ(Clock.timeLeft, 0);
  HandleTime("abc");
  EXPECT_EQ(Clock.timeLeft, 0);
}

TEST_F(ClockTest, SuddenDeathAllocation) {
  HandleTime("6000");
  AllocateTime();
  EXPECT_NEAR(Clock.softTimeLimit / Second, 1.99, 1e-9);
  EXPECT_NEAR(Clock.hardTimeLimit / Second, 7.96, 1e-9);
  EXPECT_EQ(Clock.minTimeStopDepth, 11);  // soft below 15 seconds

  Clock.timeLeft = 600 * Second;  // soft 20 s: full depth
  AllocateTime();
  EXPECT_NEAR(Clock.softTimeLimit / Second, 20.0, 1e-9);
  EXPECT_NEAR(Clock.hardTimeLimit / Second, 80.0, 1e-9);
  EXPECT_EQ(Clock.minTimeStopDepth, 12);

  Clock.timeLeft = 1.0 * Second;  // the margins make both limits negative
  AllocateTime();
  EXPECT_NEAR(Clock.hardTimeLimit / Second, -0.2, 1e-9);
  EXPECT_NEAR(Clock.softTimeLimit / Second, -0.2, 1e-9);
}

TEST_F(ClockTest, IncrementAllocationIsCappedByTheClock) {
  Clock.timeLeft = 3 * Second;
  Clock.increment = 10 * Second;
  AllocateTime();
  EXPECT_NEAR(Clock.softTimeLimit / Second, 1.8, 1e-9);  // min(0.8 T, T - 1.1 s) = 1.9, then hard 1.8
  EXPECT_NEAR(Clock.hardTimeLimit / Second, 1.8, 1e-9);
}

TEST_F(ClockTest, PeriodAllocationInTheOpeningAndAtThePeriodEnd) {
  HandleLevel("level 40 5 0");
  Clock.timeLeft = 100 * Second;
  Flow.engineMoveCount = 10;  // start board: opening factor 1.5
  AllocateTime();
  EXPECT_NEAR(Clock.softTimeLimit / Second, 1.5 * 100.0 / 32, 1e-9);
  EXPECT_NEAR(Clock.hardTimeLimit / Second, 6 * 100.0 / 32, 1e-9);

  Flow.engineMoveCount = 21;  // past the opening
  AllocateTime();
  EXPECT_NEAR(Clock.softTimeLimit / Second, 100.0 / 21, 1e-9);

  Flow.engineMoveCount = 39;  // last move of the period
  AllocateTime();
  EXPECT_NEAR(Clock.hardTimeLimit / Second, 90.0, 1e-9);
  EXPECT_NEAR(Clock.softTimeLimit / Second, 60.0, 1e-9);

  Flow.engineMoveCount = 30;  // 10 left: hard capped at 0.6 T
  Clock.timeLeft = 10 * Second;
  AllocateTime();
  EXPECT_NEAR(Clock.softTimeLimit / Second, 10.0 / 12, 1e-9);
  Game.currentBoard[21] = Game.currentBoard[22] = Game.currentBoard[23] = Empty;
  Game.currentBoard[24] = Game.currentBoard[25] = Game.currentBoard[26] = Empty;
  Flow.engineMoveCount = 5;  // only two back-row squares unmoved: no opening factor
  Clock.timeLeft = 100 * Second;
  AllocateTime();
  EXPECT_NEAR(Clock.softTimeLimit / Second, 100.0 / 37, 1e-9);
}

TEST_F(ClockTest, ElapsedTimeRunsFromTheMark) {
  MarkStartTime();
  double elapsed = ElapsedTime();
  EXPECT_GE(elapsed, 0);
  EXPECT_LT(elapsed, 1.0 / 24);
}

}  // namespace
