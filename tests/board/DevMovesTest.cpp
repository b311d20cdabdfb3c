// The move commands of krelin-dev, driven through the real binary.
#include <gtest/gtest.h>

#include <string>

#include "support/Scratch.h"

namespace {

struct DevRun {
  std::string out;
  int status;
};

DevRun RunDev(const std::vector<std::string> &arguments) {
  std::vector<std::string> argv{KRELIN_DEV_BINARY};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ProcessResult result = RunProgram(argv, ".", "", 30);
  return {result.out, result.exitStatus};
}

const std::string StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

TEST(DevMovesTest, MovesShowsCapturesThenQuietMovesWithKinds) {
  DevRun run = RunDev({"moves", "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1"});
  EXPECT_EQ(run.out,
            "E4D5 60\n"
            "E4E5 10\n"
            "E1D1 10\nE1F1 10\nE1F2 10\nE1E2 10\nE1D2 10\n");  // king steps, last table entry first
  // The opponent's king walks after its pawn on the board, so its moves come out first.
  EXPECT_EQ(RunDev({"moves", "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "--opponent"}).out,
            "D5E4 60\nE8D8 10\nE8D7 10\nE8E7 10\nE8F7 10\nE8F8 10\nD5D4 10\n");
}

TEST(DevMovesTest, KeyIsTheSameForEitherColourToMove) {
  DevRun white = RunDev({"key", StartFen});
  DevRun black = RunDev({"key", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"});
  EXPECT_EQ(white.out.size(), 17u);
  EXPECT_EQ(white.out, black.out);
  EXPECT_NE(white.out, RunDev({"key", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"}).out);
}

}  // namespace
