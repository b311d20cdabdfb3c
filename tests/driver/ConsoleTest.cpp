#include <gtest/gtest.h>

#include "driver/Clock.h"
#include "driver/Console.h"
#include "search/SearchControl.h"
#include "support/FreshEngine.h"

namespace {

// A line read while the engine searches: moves and clock lines are taken, game commands stop the
// search and stay pending for the protocol loop, anything else is dropped.
TEST(PollTest, LinesReadWhileSearching) {
  struct Case {
    const char *line, *commandText;
    bool stops, pending;
  };
  for (const Case &c :
       {Case{"usermove e7e8q", "E7E8D", false, false}, Case{"e2e4", "E2E4", false, false},
        Case{"time 6000", "", false, false}, Case{"?", "", true, false}, Case{"new", "", true, true},
        Case{"quit", "", true, true}, Case{"remove", "", true, true}, Case{"go", "", true, true},
        Case{"result 1-0 {White mates}", "", true, true}, Case{"otim 100", "", false, false},
        Case{"level 40 5 0", "", false, false}, Case{"hard", "", false, false}}) {
    FreshEngine();
    Console.inputLine = c.line;
    PollInput();
    EXPECT_EQ(Signals.commandText, c.commandText) << c.line;
    EXPECT_EQ(Signals.stopSearch, c.stops) << c.line;
    if (c.stops) {
      EXPECT_TRUE(Signals.commandPending) << c.line;  // "?" too: the search ends with a move
    }
    EXPECT_EQ(Console.inputLine, c.pending ? c.line : "") << c.line;
  }
  Console.inputLine = "time 6000";
  PollInput();
  EXPECT_NEAR(Clock.timeLeft * 86400, 59.7, 1e-9);
}

}  // namespace
