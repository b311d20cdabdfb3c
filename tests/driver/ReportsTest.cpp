// The texts of driver/Reports: the thinking line and its kibitz text, the analysis line, the
// search log and the console log's speed line, from search state set up by hand.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/MoveText.h"
#include "book/Book.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/GameFlow.h"
#include "driver/Platform.h"
#include "driver/Protocol.h"
#include "driver/Reports.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "support/EngineSession.h"
#include "support/Scratch.h"

namespace {

// A move from its engine text: E2E4, E2XD3 for a capture, a Dutch piece letter for a promotion.
Move M(const std::string &text) {
  Move move = ParseMove(text.substr(0, 2) + text.substr(text[2] == 'X' ? 3 : 2, 2));
  if (text[2] == 'X') move.kind = CaptureMove;
  switch (text.back()) {
    case 'D': move.promotion = EngineQueen; break;
    case 'T': move.promotion = EngineRook; break;
    case 'L': move.promotion = EngineBishop; break;
    case 'P': move.promotion = EngineKnight; break;
    default: break;
  }
  return move;
}

PrincipalLine Line(const std::vector<std::string> &moves) {
  PrincipalLine line{};
  for (size_t i = 0; i < moves.size(); i++) line.move[i + 1] = M(moves[i]);
  return line;
}

const std::vector<std::string> Opening = {"E2E4", "E7E5", "G1F3"};

class ReportsTest : public ::testing::Test {
 protected:
  ReportsTest() {
    scratch.Write("krelininit.txt", "HASH=1\n");
    EXPECT_TRUE(StartUpEngine());
    ClearBookRecord();
    Game.engineIsWhite = true;
    Set(7, 35, 4000, Opening);
  }
  // Depth 7, a score, 1.535 seconds of the search before a ponder hit, the nodes and the line.
  void Set(int depth, int32_t score, uint64_t nodes, const std::vector<std::string> &moves) {
    Tree.horizon = depth;
    Tree.rootBest = score;
    Tree.nodeCount = nodes;
    Tree.bestLine = Line(moves);
    Tree.ponderHitTime = 1.535 * SecondInDays;
  }
  // The post line with its time field replaced by "T": the field shows the ponder time plus the
  // clock since the search started, which runs on, so it is only checked to be within 0.1 s.
  std::string PostLine(int moves = 20) {
    QuietConsole console;
    MarkStartTime();
    WritePostLine(moves);
    std::string text = console.Text();
    static const std::regex head(R"((\d+ [+-]?\d+ )( ?)(\d+)( .*\n))");
    std::smatch field;
    if (!std::regex_match(text, field, head)) return text;
    long long shown = std::stoll(field[3]), set = (long long)(Tree.ponderHitTime * 8640000.0);
    EXPECT_GE(shown, set);
    EXPECT_LE(shown, set + 10);
    return field[1].str() + field[2].str() + "T" + field[4].str();
  }

  ScratchDirectory scratch;
};

TEST_F(ReportsTest, PostLineHeadAndScore) {
  EXPECT_EQ(PostLine(), "7 +35 T 4000 e2-e4 e7-e5 g1-f3 \n");
  Tree.rootBest = 0;
  EXPECT_EQ(PostLine(), "7 +0 T 4000 e2-e4 e7-e5 g1-f3 \n");
  Tree.rootBest = -35;
  EXPECT_EQ(PostLine(), "7 -35 T 4000 e2-e4 e7-e5 g1-f3 \n");
  // No score yet in this iteration: the previous one, never with a plus.
  Tree.rootBest = -Infinite;
  Tree.previousBest = 20;
  EXPECT_EQ(PostLine(), "7 20 T 4000 e2-e4 e7-e5 g1-f3 \n");
  // The time takes at least two places.
  Set(7, 35, 4000, Opening);
  Tree.ponderHitTime = 0.011 * SecondInDays;
  EXPECT_EQ(PostLine(), "7 +35  T 4000 e2-e4 e7-e5 g1-f3 \n");
  // The head is cut at 40 characters.
  Set(12, -31999, 123456789012345678u, Opening);
  Tree.ponderHitTime = 1234567890.125 * SecondInDays;
  EXPECT_EQ(PostLine(), "12 -31999 T 12345678901234567 e2-e4 e7-e5 g1-f3 \n");
}

TEST_F(ReportsTest, PostLineVariation) {
  struct Case {
    std::vector<std::string> moves;
    const char *text;
  };
  for (const Case &c : {Case{{"E7E8D"}, "e7-e8Q "}, Case{{"D1H5", "D8D7"}, "d1-h5 d8-d7 "},
                        Case{{"E7XD8D", "D7D8"}, "e7xd8Q d7-d8 "},
                        Case{{"A7A8T", "B7B8L", "C7C8P", "H7XG8D"}, "a7-a8R b7-b8B c7-c8N h7xg8Q "}}) {
    Tree.bestLine = Line(c.moves);
    EXPECT_EQ(PostLine(), std::string("7 +35 T 4000 ") + c.text + "\n") << c.text;
  }
  // As many moves as asked for, up to the first empty one.
  std::vector<std::string> many;
  for (int i = 0; i < 25; i++) many.push_back(i % 2 ? "F3G1" : "G1F3");
  Tree.bestLine = Line(many);
  std::string twenty;
  for (int i = 0; i < 20; i++) twenty += i % 2 ? "f3-g1 " : "g1-f3 ";
  EXPECT_EQ(PostLine(), "7 +35 T 4000 " + twenty + "\n");
  EXPECT_EQ(PostLine(2), "7 +35 T 4000 g1-f3 f3-g1 \n");
}

TEST_F(ReportsTest, PostLineWhilePonderingAndItsKibitz) {
  Settings.kibitzEnabled = true;
  EXPECT_EQ(PostLine(), "7 +35 T 4000 e2-e4 e7-e5 g1-f3 \n");
  EXPECT_EQ(Reports.kibitzText, "[7] 0.35 e2-e4 e7-e5 g1-f3 ");
  Tree.rootBest = -5;
  PostLine();
  EXPECT_EQ(Reports.kibitzText, "[7] -0.05 e2-e4 e7-e5 g1-f3 ");

  // The pondered move in front, and at most 14 moves after it; the kibitz leaves it out.
  std::vector<std::string> many;
  for (int i = 0; i < 20; i++) many.push_back(i % 2 ? "F3G1" : "G1F3");
  Set(7, 35, 4000, many);
  Signals.pondering = true;
  Signals.ponderDisplayMove = MoveText(M("E7E5"));
  std::string fourteen;
  for (int i = 0; i < 14; i++) fourteen += i % 2 ? "f3-g1 " : "g1-f3 ";
  EXPECT_EQ(PostLine(), "7 +35 T 4000 [ e7-e5 ] " + fourteen + "\n");
  EXPECT_EQ(Reports.kibitzText, "[7] 0.35  " + fourteen);

  Settings.kibitzEnabled = false;
  Reports.kibitzText.clear();
  PostLine();
  EXPECT_EQ(Reports.kibitzText, "");
}

TEST_F(ReportsTest, PostLineOfABookMove) {
  Settings.kibitzEnabled = true;
  BookRecord.status = BookMovesFound;
  BookRecord.slot[0] = M("E2E4");
  BookRecord.slot[1] = M("D2D4");
  BookRecord.slot[2] = M("C2C4");
  EXPECT_EQ(PostLine(2), "7 0 T 4000 e2-e4 e7-e5  (book check e2-e4 d2-d4 c2-c4)\n");
  EXPECT_EQ(Reports.kibitzText, "[7]  e2-e4 e7-e5  (book check e2-e4 d2-d4 c2-c4)");
  BookRecord.noBonus = true;
  EXPECT_EQ(PostLine(2), "7 0 T 4000 e2-e4  (book e2-e4 d2-d4 c2-c4)\n");
}

TEST_F(ReportsTest, AnalysisLine) {
  struct Case {
    int32_t score;
    const char *text;
  };
  for (const Case &c : {Case{35, " e = + 0.35  E2-E4 E7-E5 "}, Case{0, " e = 0.00  E2-E4 E7-E5 "},
                        Case{-150, " e = - 1.50  E2-E4 E7-E5 "}, Case{31000, " e = + 310.00  E2-E4 E7-E5 "},
                        Case{31996, " Mat in 3  E2-E4 E7-E5 "}}) {
    Tree.rootBest = c.score;
    BuildAnalysisLine(2, true);
    EXPECT_EQ(Reports.messageLine, c.text) << c.score;
  }
  Tree.rootBest = 35;
  BuildAnalysisLine(2, false);
  EXPECT_EQ(Reports.messageLine, "  E2-E4 E7-E5 ");
  // The easy move is starred; empty slots of the line show as blanks, up to 16 moves.
  Tree.easyMove = M("E2E4");
  BuildAnalysisLine(45, true);
  EXPECT_EQ(Reports.messageLine, " e = + 0.35  * E2-E4 E7-E5 G1-F3 " + std::string(13 * 6, ' '));
  Signals.pondering = true;
  Signals.ponderDisplayMove = "E7-E5";
  BuildAnalysisLine(45, true);
  EXPECT_EQ(Reports.messageLine, " e = + 0.35  * [ E7-E5 ] E2-E4 E7-E5 G1-F3 " + std::string(11 * 6, ' '));
}

TEST_F(ReportsTest, SearchLogKeepsTwoHundredLines) {
  AddSearchLogLine(0);
  AddSearchLogLine(2);
  Tree.rootBest = 31996;
  AddSearchLogLine(0);
  Tree.rootBest = -150;
  AddSearchLogLine(1);
  Tree.rootBest = 0;
  AddSearchLogLine(1);
  Clock.startMark = ClockDays() + 10 * SecondInDays;  // a clock that went back
  AddSearchLogLine(1);
  EXPECT_EQ(Reports.searchLog[0].size(), 200u);  // blanks of the empty slots, cut at 200
  for (int i = 6; i <= 200; i++) AddSearchLogLine(1);
  EXPECT_EQ(Reports.searchLogCount, 200);
  WriteSearchLog();
  std::string file = scratch.Read("logbestand.txt");
  std::vector<std::string> log = SplitLines(file);
  ASSERT_EQ(log.size(), 200u);
  EXPECT_EQ(file.find('\n'), file.find("\r\n") + 1);
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 6),
            (std::vector<std::string>{"07  00:00:00  + 0.35  E2-E4 E7-E5 G1-F3", "    00:00:00  + 0.35  E2-E4 E7-E5 G1-F3",
                                      "07  00:00:00  Mat 3    E2-E4 E7-E5 G1-F3", "    00:00:00  - 1.50  E2-E4 E7-E5 G1-F3",
                                      "    00:00:00    0.00  E2-E4 E7-E5 G1-F3",
                                      "     --  --  --    0.00  E2-E4 E7-E5 G1-F3"}));
  // A new game empties it.
  NewGame();
  AddSearchLogLine(1);
  EXPECT_EQ(Reports.searchLogCount, 1);
}

TEST_F(ReportsTest, ConsoleLogHeadAndSpeedLine) {
  Settings.ponderEnabled = false;
  BuildSettingsLine();
  OpenConsoleLog();
  Clock.startMark = ClockDays() + SecondInDays;  // no time has passed yet
  Tree.ponderHitTime = 0;
  WriteSpeedLine();
  Tree.ponderHitTime = 2 * SecondInDays;
  Tree.nodeCount = 10;
  MarkStartTime();
  WriteSpeedLine();
  CloseConsoleLog();
  EXPECT_EQ(SplitLines(scratch.Read("conlogbestand.txt")),
            (std::vector<std::string>{"KrelinChess 070525 P- E0 L12 O11 C0", "Kibitz uit", "k/s: -", "k/s: 5"}));
}

}  // namespace
