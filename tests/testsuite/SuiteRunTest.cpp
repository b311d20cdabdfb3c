// The test suite a user runs: the shipped WAC file, and krelin-dev interp running its first 20
// positions at depth 5 from start-up to the result file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/Scratch.h"

namespace {

std::string ReadFile(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(SuiteRunTest, ShippedWacFileIsTheEpdSuiteAsPositionLines) {
  std::vector<std::string> epd = SplitLines(ReadFile(std::string(KRELIN_SUITES_DIR) + "/wac.epd"));
  std::vector<std::string> shipped = SplitLines(ReadFile(std::string(KRELIN_SOURCE_DIR) + "/data/wac.txt"));
  if (epd.empty()) GTEST_SKIP() << "the shared suites are not here";
  ASSERT_EQ(shipped.size(), epd.size());
  for (size_t i = 0; i < epd.size(); i++) EXPECT_EQ(shipped[i], "%" + epd[i]);
}

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
  // Each position: its line, its search log (at least one line), "kn=" and the table statistics.
  size_t at = 3, positions = 0;
  while (at < lines.size() && !lines[at].empty()) {
    ASSERT_EQ(lines[at], wac[positions].substr(0, 255));  // lines are read to 255 characters
    size_t log = ++at;
    while (at < lines.size() && lines[at].compare(0, 3, "kn=") != 0) at++;
    EXPECT_GT(at, log) << "no search log for " << wac[positions];
    ASSERT_LT(at + 1, lines.size());
    EXPECT_EQ(lines[at + 1].compare(0, 16, "posities in ht: "), 0) << lines[at + 1];
    at += 2;
    positions++;
  }
  EXPECT_EQ(positions, 20u);
  EXPECT_EQ(at + 3, lines.size());
}

}  // namespace
