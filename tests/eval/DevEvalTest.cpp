// The krelin-dev eval tool, run as a program: fields of the root evaluation from the side to move.
#include <gtest/gtest.h>

#include <string>

#include "support/Scratch.h"

namespace {

ProcessResult RunEval(const std::string &fen) {
  ScratchDirectory scratch;
  return RunProgram({KRELIN_DEV_BINARY, "eval", fen}, scratch.Path(), "", 30);
}

TEST(DevEvalTest, PassersPrintSignedAndTheBoardIsSeenFromTheSideToMove) {
  // A lone pawn a2 (White to move) and a7 (Black to move) are both the engine's pawn on 31, loose.
  for (const char *fen : {"4k3/8/8/8/8/8/P7/4K3 w - - 0 1", "4k3/p7/8/8/8/8/8/4K3 b - - 0 1"}) {
    std::string out = RunEval(fen).out;
    for (const char *field : {"\nenginePawnSquares 31 0 0 0 0 0 0 0\n",
                              "\npasserList -31 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n", "\nenginePawnBits 2\n"})
      EXPECT_NE(out.find(field), std::string::npos) << fen << field;
  }
}
}  // namespace
