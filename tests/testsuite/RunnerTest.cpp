// The test-suite runner in this process: the engine starts in a scratch directory as krelin does,
// the interpreter's /V command runs small test files at depth 5, and the result files are read
// back line by line.
#include "testsuite/Runner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "board/Board.h"
#include "book/Book.h"
#include "driver/Console.h"
#include "driver/GameFlow.h"
#include "driver/Interpreter.h"
#include "driver/Protocol.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "support/Scratch.h"

namespace {

const std::string Wac001 = "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - -";

bool bookUsedInSearch = false;
void NoteBookSwitch() { bookUsedInSearch = bookUsedInSearch || Books.useBook; }
bool NoInput() { return false; }
bool SameBoard(const Board &a, const Board &b) { return std::memcmp(&a, &b, sizeof(Board)) == 0; }

class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch.Write("krelininit.txt", "HASH=1\n");
    ASSERT_TRUE(StartUpEngine());
    savedHooks = Hooks;
    Console.outputMuted = true;  // the engine's "move" lines are of no interest here
    Hooks.inputWaiting = NoInput;
    Hooks.iterationDone = NoteBookSwitch;
    bookUsedInSearch = false;
    Command("/H=5");
  }
  void TearDown() override { Hooks = savedHooks, Console.outputMuted = false; }
  static void Command(const std::string &text) { Signals.commandText = text, RunCommand(); }
  // Runs the test file (written under the name given) and returns the lines of its result file.
  std::vector<std::string> Suite(const std::string &name, const std::string &text, const std::string &command) {
    scratch.Write(name, text);
    Command(command);
    return SplitLines(scratch.Read(ResultFileName(name)));
  }
  ScratchDirectory scratch;
  SearchHooks savedHooks{};
};

// The two lines after every searched position.
void ExpectStatistics(const std::vector<std::string> &lines, size_t at, uint64_t nodes) {
  ASSERT_LT(at + 1, lines.size());
  EXPECT_EQ(lines[at], "kn=" + std::to_string(nodes));
  EXPECT_TRUE(std::regex_match(lines[at + 1], std::regex("posities in ht: \\d+ = +\\d+ %  van ht"))) << lines[at + 1];
}

void ExpectTotals(const std::vector<std::string> &lines, int positions) {
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "");
  EXPECT_TRUE(std::regex_match(lines[lines.size() - 2], std::regex("Gebruikte tijd: \\d+\\.\\d\\d sec")));
  EXPECT_EQ(lines.back(), "Aantal vars/posities: " + std::to_string(positions));
}

TEST_F(RunnerTest, MoveLinesAreSearchedFromTheInitialPosition) {
  // One move: the engine plays Black.
  std::vector<std::string> lines = Suite("one.txt", "e2 e4 \\ the king's pawn\n", "/VONE");
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_FALSE(Game.engineIsWhite);
  EXPECT_EQ(lines[3], "E2E4");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(lines[4], match, std::regex("\\\\> k = (\\d+) \\d+\\.\\d\\d sec  (e = ([-+] )?\\d+\\.\\d\\d|Mat in \\d+)  (\\w\\w[-x]\\w\\w\\w? )+ *")))
      << lines[4];
  EXPECT_EQ(match[1], std::to_string(Tree.nodeCount));
  ExpectStatistics(lines, 5, Tree.nodeCount);
  ExpectTotals(lines, 1);
  EXPECT_FALSE(bookUsedInSearch);
  EXPECT_TRUE(Books.useBook);

  // Two moves: White. The second line starts from the initial position again, not from the
  // position the first search left, and a line from the book-text builder runs as it is.
  lines = Suite("two.txt", "E2E4E7E5\r\ne2e4e7e5\\MERDOLT,M 1-0 ASSEN\r\n", "/VTWO");
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_TRUE(Game.engineIsWhite);
  EXPECT_EQ(lines[7], "E2E4E7E5");
  ExpectStatistics(lines, 9, Tree.nodeCount);
  ExpectTotals(lines, 2);
}

TEST_F(RunnerTest, MoveLinesThatDoNotReplayAreReportedAndChangeNothing) {
  Suite("first.txt", "E2E4\n", "/VFIRST");
  Board searched = Game.currentBoard;
  // An empty origin square, a square off the board, a move that takes a king.
  std::vector<std::string> lines = Suite("bad.txt", "E2E4E2E4\nE2E9\nD1E8\n", "/VBAD");
  EXPECT_EQ(lines, (std::vector<std::string>{"BAD.TXT", "maxh = 5", "", "E2E4E2E4", "\\> variant fout ", "E2E9",
                                             "\\> variant fout ", "D1E8", "\\> variant fout ", "",
                                             "Gebruikte tijd: 0.00 sec", "Aantal vars/posities: 3"}));
  EXPECT_FALSE(Game.engineIsWhite);
  EXPECT_TRUE(SameBoard(Game.currentBoard, searched));
}

TEST_F(RunnerTest, PositionLinesWriteTheLineAndItsSearchLog) {
  scratch.Write("pos1.txt", "WT=1\nK1=G1\nK2=G8\nT1=A1\nB1=H2\nT2=D8\nB2=F7\nB2=G7\nB2=H7\n");
  std::string epd = "%" + Wac001 + " bm Qg6; id \"WAC.001\";";
  // The "P" is part of the file's name: Pos1 names POS1.txt.
  std::string text = epd + " \\ Kq: not castling rights\n%8/8/8 no side to move\nPnothere\nPos1\n";
  std::vector<std::string> lines = Suite("pos.txt", text, "/VPOS.TXT");
  ExpectTotals(lines, 4);
  // The EPD line as read without its comment, then its search log: the "bm" operation is not
  // judged. The rejected set-up and the missing position file leave no trace.
  ASSERT_GT(lines.size(), 5u);
  EXPECT_EQ(lines[3], epd + " ");
  size_t at = 4;
  std::regex logLine("(\\d\\d|  )  \\d\\d:\\d\\d:\\d\\d  (Mat \\d+  |[-+ ] \\d+\\.\\d\\d)  .*\\S");
  while (at < lines.size() && std::regex_match(lines[at], logLine)) at++;
  EXPECT_GT(at, 4u);
  EXPECT_EQ(lines[at].substr(0, 3), "kn=");
  EXPECT_EQ(lines[at + 2], "Pos1");
  EXPECT_TRUE(Game.engineIsWhite);
  EXPECT_FALSE(bookUsedInSearch);
}

TEST_F(RunnerTest, ErrorsEndTheRunSilentlyWithTheBookOn) {
  Books.useBook = false;
  Command("/Vmissing.txt");
  EXPECT_TRUE(Books.useBook);
  EXPECT_FALSE(scratch.Exists("testresultaat_MISSING.txt"));
}

}  // namespace
