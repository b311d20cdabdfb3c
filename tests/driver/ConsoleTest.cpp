#include <gtest/gtest.h>

#include "board/Text.h"
#include "driver/Clock.h"
#include "driver/Console.h"
#include "search/SearchControl.h"

namespace {

TEST(TextTest, SqueezeUpperDropsControlsAndBlanksAndUpperCases) {
  EXPECT_EQ(SqueezeUpper("usermove e2e4\r"), "USERMOVEE2E4");
  EXPECT_EQ(SqueezeUpper("level 40 5 0"), "LEVEL4050");
  EXPECT_EQ(SqueezeUpper(" \t\x01"), "");
  EXPECT_EQ(SqueezeUpper("a?b;\xe9"), "A?B;\xe9");
}

TEST(TextTest, ParseNumberTakesOneToSevenDigits) {
  bool error = true;
  EXPECT_EQ(ParseNumber("1234567", error), 1234567);
  EXPECT_FALSE(error);
  EXPECT_EQ(ParseNumber("4 2", error), 42);
  EXPECT_FALSE(error);
  EXPECT_EQ(ParseNumber("12345678", error), 0);
  EXPECT_TRUE(error);
  EXPECT_EQ(ParseNumber("", error), 0);
  EXPECT_TRUE(error);
  EXPECT_EQ(ParseNumber("-3", error), 0);
  EXPECT_TRUE(error);
  EXPECT_EQ(ParseNumber("abc", error), 0);
  EXPECT_TRUE(error);
}

TEST(ConsoleTest, CoordinateMovesAreRecognisedAndPrefixed) {
  std::string move = "E2E4";
  EXPECT_TRUE(IsCoordinateMove(move));
  EXPECT_EQ(move, "USERMOVEE2E4");
  std::string promotion = "E7E8Q";
  EXPECT_TRUE(IsCoordinateMove(promotion));
  EXPECT_EQ(promotion, "USERMOVEE7E8Q");
  for (std::string notMove : {"I2E4", "E9E4", "E2E", "e2e4", "NEW", "E2-E4"}) {
    std::string before = notMove;
    EXPECT_FALSE(IsCoordinateMove(notMove)) << before;
    EXPECT_EQ(notMove, before);
  }
}

TEST(ConsoleTest, PromotionLettersTranslateBothWays) {
  EXPECT_EQ(ToEngineMoveText("E7E8Q"), "E7E8D");
  EXPECT_EQ(ToEngineMoveText("e7e8q"), "e7e8D");
  EXPECT_EQ(ToEngineMoveText("E7E8N"), "E7E8P");
  EXPECT_EQ(ToEngineMoveText("E7E8B"), "E7E8L");
  EXPECT_EQ(ToEngineMoveText("E7E8R"), "E7E8T");
  EXPECT_EQ(ToEngineMoveText("E7E8K"), "E7E8");
  EXPECT_EQ(ToEngineMoveText("E2E4"), "E2E4");
  EXPECT_EQ(ToProtocolMoveText("E7E8T"), "e7e8R");
  EXPECT_EQ(ToProtocolMoveText("E7E8D"), "e7e8Q");
  EXPECT_EQ(ToProtocolMoveText("A2A1L"), "a2a1B");
  EXPECT_EQ(ToProtocolMoveText("B7B8P"), "b7b8N");
  EXPECT_EQ(ToProtocolMoveText("E2E4"), "e2e4");
  EXPECT_EQ(ToProtocolMoveText("E7E8X9"), "e7e8");
}

class PollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetConsole();
    ClearSearchSignals();
    ResetClock();
  }
  void Poll(const std::string &line) {
    Console.inputLine = line;
    PollInput();
  }
};

TEST_F(PollTest, MovesGoToTheCommandTextAndAreConsumed) {
  Poll("usermove e7e8q");
  EXPECT_EQ(Signals.commandText, "E7E8D");
  EXPECT_TRUE(Console.inputLine.empty());
  Poll("e2e4");
  EXPECT_EQ(Signals.commandText, "E2E4");
  EXPECT_FALSE(Signals.stopSearch);
}

TEST_F(PollTest, TimeUpdatesTheClock) {
  Poll("time 6000");
  EXPECT_NEAR(Clock.timeLeft * 86400, 59.7, 1e-9);
  EXPECT_TRUE(Console.inputLine.empty());
}

TEST_F(PollTest, QuestionMarkMovesNowAndIsConsumed) {
  Poll("?");
  EXPECT_TRUE(Signals.stopSearch);
  EXPECT_TRUE(Signals.commandPending);
  EXPECT_TRUE(Console.inputLine.empty());
}

TEST_F(PollTest, GameCommandsStopTheSearchAndStayPending) {
  for (const char *line : {"new", "quit", "remove", "force", "go", "result 1-0 {White mates}"}) {
    ClearSearchSignals();
    Poll(line);
    EXPECT_TRUE(Signals.stopSearch) << line;
    EXPECT_TRUE(Signals.commandPending) << line;
    EXPECT_EQ(Console.inputLine, line);
  }
}

TEST_F(PollTest, OtherLinesAreDropped) {
  for (const char *line : {"easy", "hard", "otim 100", "level 40 5 0", "post"}) {
    Poll(line);
    EXPECT_FALSE(Signals.stopSearch) << line;
    EXPECT_TRUE(Console.inputLine.empty()) << line;
    EXPECT_TRUE(Signals.commandText.empty()) << line;
  }
}

}  // namespace
