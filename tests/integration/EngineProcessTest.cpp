// The real engine binary driven over pipes, as a GUI drives it.
#include <gtest/gtest.h>

#include "support/Scratch.h"

namespace {

TEST(EngineProcessTest, ClosedInputEndsTheEngineQuietly) {
  ScratchDirectory scratch;
  scratch.Write("krelininit.txt", "HASH=1\nCLOG=1\n");
  for (const char *input : {"", "xboard\n", "xboard\nprotover 2\nnew\nforce\ne2e4",
                            "xboard\nprotover 2\nsetboard 8/8/8/8/8/8/8/K6k w - -\n"}) {
    ProcessResult result = RunProgram({KRELIN_BINARY}, scratch.Path(), input, 20);
    EXPECT_FALSE(result.timedOut) << input;
    EXPECT_EQ(result.exitStatus, 0) << input;
  }
  // The console log was closed properly and holds the last partial line.
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
