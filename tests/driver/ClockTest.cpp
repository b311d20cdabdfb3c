#include <gtest/gtest.h>

#include "board/Board.h"
#include "driver/Clock.h"
#include "driver/GameFlow.h"
#include "support/FreshEngine.h"

namespace {

constexpr double Second = 1.0 / 86400.0;

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override { FreshEngine(); }
};

TEST_F(ClockTest, LevelAndTimeLines) {
  struct Case {
    const char *line;
    int moves;
    double base, increment;
  };
  // Two seconds of the base are held back; the increment counts only without periods, and a
  // minutes:seconds base (or none) falls back to five minutes.
  for (const Case &c : {Case{"level 40 5 0", 40, 298, 0}, Case{"level 40 5 3", 40, 298, 0}, Case{"level 0 2 12", 0, 118, 12},
                        Case{"level 0 1 0.5\r", 0, 58, 0.5}, Case{"level 40 0:30 0", 40, 300, 0}, Case{"level", 0, 300, 0}}) {
    HandleLevel(c.line);
    EXPECT_EQ(Clock.movesPerPeriod, c.moves) << c.line;
    EXPECT_NEAR(Clock.baseTime / Second, c.base, 1e-6) << c.line;
    EXPECT_DOUBLE_EQ(Clock.timeLeft, Clock.baseTime) << c.line;
    EXPECT_NEAR(Clock.increment / Second, c.increment, 1e-9) << c.line;
  }
  for (auto [centiseconds, left] : {std::pair{"6000", 59.7}, std::pair{"20", 0.0}, std::pair{"abc", 0.0}}) {
    HandleTime(centiseconds);
    EXPECT_NEAR(Clock.timeLeft / Second, left, 1e-9) << centiseconds;
  }
}

}  // namespace
