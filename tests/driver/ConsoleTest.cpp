#include <gtest/gtest.h>

#include "board/Text.h"
#include "driver/Clock.h"
#include "driver/Console.h"
#include "search/SearchControl.h"
#include "support/FreshEngine.h"

namespace {

TEST(ConsoleTest, PromotionLettersTranslateBothWays) {
  for (auto [in, out] :
       {std::pair{"E7E8Q", "E7E8D"}, std::pair{"e7e8q", "e7e8D"}, std::pair{"E7E8N", "E7E8P"},
        std::pair{"E7E8B", "E7E8L"}, std::pair{"E7E8R", "E7E8T"}, std::pair{"E7E8K", "E7E8"}})
    EXPECT_EQ(ToEngineMoveText(in), out) << in;
  for (auto [in, out] :
       {std::pair{"E7E8T", "e7e8R"}, std::pair{"E7E8D", "e7e8Q"}, std::pair{"A2A1L", "a2a1B"},
        std::pair{"B7B8P", "b7b8N"}, std::pair{"E2E4", "e2e4"}, std::pair{"E7E8X9", "e7e8"}})
    EXPECT_EQ(ToProtocolMoveText(in), out) << in;
}

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
