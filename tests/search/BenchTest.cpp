// The bench total is the signature of the search and the evaluation: it must not depend on
// anything but the code (no clock, no leftovers of an earlier position or run).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "support/Scratch.h"

namespace {

std::string BenchTotal(const std::string &depth) {
  ScratchDirectory scratch;
  ProcessResult result = RunProgram({KRELIN_DEV_BINARY, "bench", depth}, scratch.Path(), "", 600);
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  std::vector<std::string> lines = SplitLines(result.out);
  EXPECT_EQ(lines.size(), 32u);  // one line per position, the timing note and the total
  if (lines.empty()) return "";
  const std::string &last = lines.back();
  EXPECT_EQ(last.rfind("bench: ", 0), 0u) << last;
  return last.substr(0, last.find(" nodes"));
}

// The total the README quotes is the one the engine gives: a change of play cannot land unnoticed.
TEST(BenchTest, DepthEightGivesTheTotalInTheReadme) {
  std::ifstream readme(std::string(KRELIN_SOURCE_DIR) + "/README.md");
  std::stringstream text;
  text << readme.rdbuf();
  std::smatch quoted;
  std::string content = text.str();
  ASSERT_TRUE(std::regex_search(content, quoted, std::regex("depth 8: ([0-9,]+) nodes")));
  std::string total = quoted[1];
  total.erase(std::remove(total.begin(), total.end(), ','), total.end());
  EXPECT_EQ(BenchTotal("8"), "bench: " + total);
}

}  // namespace
