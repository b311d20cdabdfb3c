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

TEST_F(ClockTest, LevelAndTimeLines) {
  struct Case {
    const char *line;
    int moves;
    double base, increment;
  };
  // Two seconds of the base are held back; the increment counts only without periods, and a
  // minutes:seconds base (or none) falls back to five minutes.
  // Numbers are plain decimals held to sane ranges: a period longer than any game is the whole
  // game, a time is at most a year and never negative; hexadecimal, inf and nan are no numbers.
  constexpr double Year = 365 * 86400.0;
  for (const Case &c :
       {Case{"level 40 5 0", 40, 298, 0}, Case{"level 40 5 3", 40, 298, 0}, Case{"level 0 2 12", 0, 118, 12},
        Case{"level 0 1 0.5\r", 0, 58, 0.5}, Case{"level 40 0:30 0", 40, 300, 0}, Case{"level", 0, 300, 0},
        Case{"level 4294967297 5 0", 0, 298, 0}, Case{"level 10000 5 0", 10000, 298, 0},
        Case{"level 99999999999999999999 1e30 1e999", 0, Year - 2, Year}, Case{"level 0 0x10 nan", 0, 300, 0},
        Case{"level 0 inf -3", 0, 300, 0}, Case{"level 0 -5 0x1p3", 0, -2, 0}}) {
    HandleLevel(c.line);
    EXPECT_EQ(Clock.movesPerPeriod, c.moves) << c.line;
    EXPECT_NEAR(Clock.baseTime / Second, c.base, 1e-6) << c.line;
    EXPECT_DOUBLE_EQ(Clock.timeLeft, Clock.baseTime) << c.line;
    EXPECT_NEAR(Clock.increment / Second, c.increment, 1e-9) << c.line;
  }
  for (auto [centiseconds, left] :
       {std::pair{"6000", 59.7}, std::pair{"20", 0.0}, std::pair{"abc", 0.0}, std::pair{"1E999", Year - 0.3},
        std::pair{"NAN", Year - 0.3}, std::pair{"INF", Year - 0.3}, std::pair{"0X10", Year - 0.3},
        std::pair{"-5", 0.0}}) {
    HandleTime(centiseconds);  // an unreadable reading leaves the clock as it was
    EXPECT_NEAR(Clock.timeLeft / Second, left, 1e-6) << centiseconds;
  }
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

  Clock.timeLeft = 3 * Second;  // an increment is capped by the clock
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
  for (int square = 21; square <= 26; square++) Game.currentBoard[square] = Empty;
  Flow.engineMoveCount = 5;  // only two back-row squares unmoved: no opening factor
  Clock.timeLeft = 100 * Second;
  AllocateTime();
  EXPECT_NEAR(Clock.softTimeLimit / Second, 100.0 / 37, 1e-9);
}

}  // namespace
