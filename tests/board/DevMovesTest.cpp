// The position key of krelin-dev, driven through the real binary.
#include <gtest/gtest.h>

#include <string>

#include "support/Scratch.h"

namespace {

std::string Key(const std::string &fen) {
  return RunProgram({KRELIN_DEV_BINARY, "key", fen}, ".", "", 30).out;
}

TEST(DevMovesTest, KeyIsTheSameForEitherColourToMove) {
  std::string white = Key("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(white.size(), 17u);
  EXPECT_EQ(white, Key("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"));
  EXPECT_NE(white, Key("4k3/8/8/8/8/8/8/4K3 w - - 0 1"));
}

}  // namespace
