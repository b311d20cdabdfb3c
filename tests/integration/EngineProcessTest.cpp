// The real engine binary driven over pipes, as a GUI drives it.
#include <gtest/gtest.h>

#include "support/Scratch.h"

namespace {

TEST(EngineProcessTest, ClosedInputEndsTheEngineQuietly) {
  ScratchDirectory scratch;
  scratch.Write("krelininit.txt", "HASH=1\nCLOG=1\n");
  // Input that ends in the set-up wait; the console log is closed properly and holds the last line.
  ProcessResult result = RunProgram({KRELIN_BINARY}, scratch.Path(),
                                    "xboard\nprotover 2\nsetboard 8/8/8/8/8/8/8/K6k w - -\n", 20);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitStatus, 0);
  std::vector<std::string> log = SplitLines(scratch.Read("conlogbestand.txt"));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "in:  setboard 8/8/8/8/8/8/8/K6k w - -");
}

TEST(EngineProcessTest, MissingConfigurationStopsWithAMessage) {
  ScratchDirectory scratch;
  ProcessResult result = RunProgram({KRELIN_BINARY}, scratch.Path(), "xboard\nprotover 2\n", 20);
  if (result.exitStatus == 0) GTEST_SKIP() << "an installed configuration was found";
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.err, "File not found (krelininit.txt)\n");
  EXPECT_EQ(result.out, "");
}

}  // namespace
