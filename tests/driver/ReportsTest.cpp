// The texts of driver/Reports, from search state set up by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "board/GameRecord.h"
#include "board/Move.h"
#include "board/MoveText.h"
#include "book/Book.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/GameFlow.h"
#include "driver/Platform.h"
#include "driver/Protocol.h"
#include "driver/Reports.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "support/EngineSession.h"
#include "support/Scratch.h"

namespace {

// A move from its engine text: E2E4, E2XD3 for a capture, a Dutch piece letter for a promotion.
Move M(const std::string &text) {
  bool capture = text[2] == 'X';
  Move move = ParseMove(text.substr(0, 2) + text.substr(capture ? 3 : 2, 2));
  if (capture) move.kind = CaptureMove;
  const std::string letters = "DTLP";
  size_t piece = letters.find(text.back());
  if (piece != std::string::npos)
    move.promotion = std::vector{EngineQueen, EngineRook, EngineBishop, EngineKnight}[piece];
  return move;
}

void SetLine(const std::vector<std::string> &moves) {
  Tree.bestLine = PrincipalLine{};
  for (size_t i = 0; i < moves.size(); i++) Tree.bestLine.move[i + 1] = M(moves[i]);
}

class ReportsTest : public ::testing::Test {
 protected:
  ReportsTest() {
    scratch.Write("krelininit.txt", "HASH=1\n");
    EXPECT_TRUE(StartUpEngine());
    ClearBookRecord();
    Game.engineIsWhite = true;
    Set(7, 35, 4000);
  }
  void Set(int depth, int32_t score, uint64_t nodes, double seconds = 1.535) {
    Tree.horizon = depth;
    Tree.rootBest = score;
    Tree.nodeCount = nodes;
    SetLine({"E2E4", "E7E5", "G1F3"});
    Tree.ponderHitTime = seconds * SecondInDays;
  }
  // The post line with its time field as "T": it adds the running clock to the ponder time, so
  // it is only checked to be within 0.1 s.
  std::string PostLine(int moves = 20) {
    testing::internal::CaptureStdout();
    MarkStartTime();
    WritePostLine(moves);
    std::string text = testing::internal::GetCapturedStdout();
    static const std::regex head(R"((\d+ [+-]?\d+  ?)(\d+)( .*\n))");
    std::smatch field;
    if (!std::regex_match(text, field, head)) return text;
    long long shown = std::stoll(field[2]), set = (long long)(Tree.ponderHitTime * 8640000.0);
    EXPECT_TRUE(shown >= set && shown <= set + 10) << text;
    return field[1].str() + "T" + field[3].str();
  }
  ScratchDirectory scratch;
};

TEST_F(ReportsTest, PostLine) {
  for (auto [score, text] : {std::pair{0, "7 +0 T"}, std::pair{-35, "7 -35 T"}}) {
    Tree.rootBest = score;
    EXPECT_EQ(PostLine(), std::string(text) + " 4000 e2-e4 e7-e5 g1-f3 \n");
  }
  Tree.rootBest = -Infinite;  // no score yet in this iteration: the previous one, never with a plus
  Tree.previousBest = 20;
  EXPECT_EQ(PostLine(), "7 20 T 4000 e2-e4 e7-e5 g1-f3 \n");
  Set(12, -31999, 123456789012345678u, 1234567890.125);  // the head is cut at 40 characters
  EXPECT_EQ(PostLine(), "12 -31999 T 12345678901234567 e2-e4 e7-e5 g1-f3 \n");
  Set(7, 35, 4000);
  SetLine({"A7A8T", "B7B8L", "C7C8P", "H7XG8D", "D1H5"});
  EXPECT_EQ(PostLine(), "7 +35 T 4000 a7-a8R b7-b8B c7-c8N h7xg8Q d1-h5 \n");
  SetLine(std::vector<std::string>(25, "G1F3"));  // as many moves as asked for
  EXPECT_EQ(PostLine(2), "7 +35 T 4000 g1-f3 g1-f3 \n");
}

TEST_F(ReportsTest, PostLineOfABookMove) {
  Settings.kibitzEnabled = true;
  BookRecord.status = BookMovesFound;
  for (int i = 0; i < 3; i++) BookRecord.slot[i] = M(std::vector{"E2E4", "D2D4", "C2C4"}[i]);
  EXPECT_EQ(PostLine(2), "7 0 T 4000 e2-e4 e7-e5  (book check e2-e4 d2-d4 c2-c4)\n");
  EXPECT_EQ(Reports.kibitzText, "[7]  e2-e4 e7-e5  (book check e2-e4 d2-d4 c2-c4)");
}

TEST_F(ReportsTest, SearchLogKeepsTwoHundredLines) {
  AddSearchLogLine(0);
  AddSearchLogLine(2);
  Tree.rootBest = 31996;
  AddSearchLogLine(0);
  Tree.rootBest = -150;
  AddSearchLogLine(1);
  Clock.startMark = ClockDays() + 10 * SecondInDays;  // a clock that went back
  AddSearchLogLine(1);
  for (int i = 5; i <= 200; i++) AddSearchLogLine(1);
  WriteSearchLog();
  std::string file = scratch.Read("logbestand.txt");
  std::vector<std::string> log = SplitLines(file);
  ASSERT_EQ(log.size(), 200u);
  EXPECT_EQ(file.find('\n'), file.find("\r\n") + 1);
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5),
            (std::vector<std::string>{
                "07  00:00:00  + 0.35  E2-E4 E7-E5 G1-F3", "    00:00:00  + 0.35  E2-E4 E7-E5 G1-F3",
                "07  00:00:00  Mat 3    E2-E4 E7-E5 G1-F3", "    00:00:00  - 1.50  E2-E4 E7-E5 G1-F3",
                "     --  --  --  - 1.50  E2-E4 E7-E5 G1-F3"}));
}

// A log that cannot be created (its name taken by a folder here, as root writes anywhere): the
// engine goes on and says so once per log on standard error, however often it tries.
TEST_F(ReportsTest, UnwritableLogsAreToldOnce) {
  std::filesystem::create_directory(scratch.Path() + "/conlogbestand.txt");
  std::filesystem::create_directory(scratch.Path() + "/logbestand.txt");
  testing::internal::CaptureStderr();
  OpenConsoleLog();
  ConsoleLogLine("in:  xboard");
  OpenConsoleLog();
  for (int i = 0; i < 3; i++) WriteSearchLog();
  std::vector<std::string> told = SplitLines(testing::internal::GetCapturedStderr());
  ASSERT_EQ(told.size(), 2u);
  std::string here = std::filesystem::current_path().string();
  EXPECT_NE(told[0].find("KrelinChess: cannot write " + here + "/conlogbestand.txt ("), std::string::npos)
      << told[0];
  EXPECT_NE(told[1].find("/logbestand.txt ("), std::string::npos) << told[1];
  EXPECT_EQ(Reports.consoleLog, nullptr);
}

}  // namespace
