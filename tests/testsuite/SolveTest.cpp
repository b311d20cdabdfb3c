// krelin-dev solve through the real binary: positions of both colours, bm and am judged with the
// moves read as test suites write them, lines it cannot read reported and left out of the count.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/Scratch.h"

namespace {

// The first three columns of a result line: id, move played, verdict.
std::string Columns(const std::string &line) {
  std::istringstream in(line);
  std::string id, move, verdict;
  in >> id >> move >> verdict;
  return id + " " + move + " " + verdict;
}

TEST(SolveTest, JudgesBestAndAvoidedMovesAndCountsWhatItJudged) {
  ScratchDirectory scratch;
  scratch.Write("suite.epd",
                "# a comment line\n"
                "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8#; id \"mate\";\n"
                "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Kf1 Rd7; id \"wrong\";\n"
                "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - am Kh1 Kf1; id \"avoid\";\n"
                "%3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - bm Rd1+; id \"black\";\n"
                "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd9; id \"bad\";\n"
                "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - id \"plain\";\n");
  ProcessResult run =
      RunProgram({KRELIN_DEV_BINARY, "solve", "suite.epd", "--depth", "3"}, scratch.Path(), "", 120);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::vector<std::string> lines = SplitLines(run.out);
  ASSERT_EQ(lines.size(), 7u) << run.out;
  const char *const expected[] = {"mate Rd8 solved",  "wrong Rd8 missed", "avoid Rd8 solved",
                                  "black Rd1 solved", "bad - unreadable", "plain Rd8 unjudged"};
  for (int i = 0; i < 6; i++) EXPECT_EQ(Columns(lines[i]), expected[i]) << lines[i];
  EXPECT_NE(lines[0].find(" depth  3 nodes "), std::string::npos) << lines[0];
  EXPECT_EQ(lines[6], "solved 3/4");

  for (const std::vector<std::string> &bad : std::vector<std::vector<std::string>>{
           {"suite.epd", "--depth", "0"}, {"suite.epd", "--time", "x"}, {"suite.epd", "--depth"}, {}}) {
    std::vector<std::string> argv{KRELIN_DEV_BINARY, "solve"};
    argv.insert(argv.end(), bad.begin(), bad.end());
    EXPECT_EQ(RunProgram(argv, scratch.Path(), "", 60).exitStatus, 2);
  }
  EXPECT_EQ(RunProgram({KRELIN_DEV_BINARY, "solve", "missing.epd"}, scratch.Path(), "", 60).exitStatus, 1);
}

}  // namespace
