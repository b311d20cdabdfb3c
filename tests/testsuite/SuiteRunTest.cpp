// The test suites a user runs through krelin-dev interp, from start-up to the result file: the
// first 20 positions of the shipped WAC file at depth 5, and lines of moves from the initial
// position, some of which do not replay.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/Scratch.h"

namespace {

TEST(SuiteRunTest, TwentyWacPositionsAtDepth5ThroughTheDeveloperTool) {
  ScratchDirectory scratch;
  scratch.Write("krelininit.txt", "HASH=1\n");
  std::vector<std::string> wac = SplitLines(ReadFile(std::string(KRELIN_SOURCE_DIR) + "/data/wac.txt"));
  ASSERT_GE(wac.size(), 20u);
  std::string text;
  for (size_t i = 0; i < 20; i++) text += wac[i] + "\r\n";
  scratch.Write("wac20.txt", text);

  ProcessResult run = RunProgram({KRELIN_DEV_BINARY, "interp", "/H=5", "/VWAC20"}, scratch.Path(), "", 300);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find(" e = "), std::string::npos) << "the analysis lines are shown";

  std::vector<std::string> lines = SplitLines(scratch.Read("testresultaat_WAC20.txt"));
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], "WAC20.TXT");
  EXPECT_EQ(lines[1], "maxh = 5");
  EXPECT_EQ(lines[lines.size() - 1], "Aantal vars/posities: 20");
  // Each position: its line, its search log, "kn=" and the table statistics.
  for (size_t at = 3, position = 0; position < 20; at += 2, position++) {
    ASSERT_EQ(lines.at(at), wac[position].substr(0, 255));  // lines are read to 255 characters
    at = std::find_if(lines.begin() + at + 2, lines.end(),
                      [](auto &line) { return line.rfind("kn=", 0) == 0; }) -
         lines.begin();
    EXPECT_EQ(lines.at(at + 1).rfind("posities in ht: ", 0), 0u) << lines[at + 1];
  }
}

TEST(SuiteRunTest, MoveLinesFromTheInitialPosition) {
  ScratchDirectory scratch;
  scratch.Write("krelininit.txt", "HASH=1\n");
  // One move (the engine plays Black), then an empty origin, a square off the board and a move
  // that takes a king; a line of the book-text builder runs as it is.
  scratch.Write("moves.txt",
                "e2 e4 \\ the king's pawn\r\nE2E4E2E4\nE2E9\nD1E8\n# a comment\n"
                "e2e4e7e5\\MERDOLT,M 1-0 ASSEN\n");
  ProcessResult run =
      RunProgram({KRELIN_DEV_BINARY, "interp", "/H=5", "/VMOVES", "/VMISSING"}, scratch.Path(), "", 120);
  // The missing test file ends the run with status 1 and says so; the first file is written whole.
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  EXPECT_EQ(run.err, "KrelinChess: cannot read MISSING.TXT (No such file or directory)\n");
  EXPECT_FALSE(scratch.Exists("testresultaat_MISSING.txt"));
  std::vector<std::string> lines = SplitLines(scratch.Read("testresultaat_MOVES.txt"));
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
            (std::vector<std::string>{"MOVES.TXT", "maxh = 5", "", "E2E4"}));
  std::smatch match;
  const std::regex searched(
      "\\\\> k = (\\d+) \\d+\\.\\d\\d sec  (e = ([-+] )?\\d+\\.\\d\\d|Mat in \\d+)  (\\w\\w[-x]\\w\\w\\w? )+ "
      "*");
  ASSERT_TRUE(std::regex_match(lines[4], match, searched)) << lines[4];
  EXPECT_EQ(lines[5], "kn=" + match[1].str());
  EXPECT_EQ(lines[6].compare(0, 16, "posities in ht: "), 0) << lines[6];
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 7, lines.begin() + 13),
            (std::vector<std::string>{"E2E4E2E4", "\\> variant fout ", "E2E9", "\\> variant fout ", "D1E8",
                                      "\\> variant fout "}));
  EXPECT_EQ(lines[13], "E2E4E7E5");
  EXPECT_TRUE(std::regex_match(lines[14], searched)) << lines[14];
  EXPECT_EQ(lines[17], "");
  EXPECT_TRUE(std::regex_match(lines[18], std::regex("Gebruikte tijd: \\d+\\.\\d\\d sec")));
  EXPECT_EQ(lines[19], "Aantal vars/posities: 5");

  // A test file in a folder: every part of the upper-cased name is found whatever its case, and the
  // result goes beside it. A pawn moved backwards onto its own queen does not replay.
  std::filesystem::create_directory(scratch.Path() + "/sub");
  scratch.Write("sub/only2.epd", "E2E4D7D8\n");
  run = RunProgram({KRELIN_DEV_BINARY, "interp", "/H=5", "/Vsub/only2.epd"}, scratch.Path(), "", 60);
  EXPECT_EQ(SplitLines(scratch.Read("sub/testresultaat_ONLY2.txt")),
            (std::vector<std::string>{"SUB/ONLY2.EPD", "maxh = 5", "", "E2E4D7D8", "\\> variant fout ", "",
                                      "Gebruikte tijd: 0.00 sec", "Aantal vars/posities: 1"}));
}

}  // namespace
