// The bench total is the signature of the search and the evaluation: it must not depend on
// anything but the code (no clock, no leftovers of an earlier position or run).
#include <gtest/gtest.h>

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

TEST(BenchTest, TwoRunsGiveTheSameNodeTotal) {
  std::string first = BenchTotal("5");
  EXPECT_NE(first, "bench: 0");
  EXPECT_EQ(BenchTotal("5"), first);
}

}  // namespace
