// Shared set-up of the move tests: the start-up tables, the engine as White, and small helpers to
// build positions.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "board/Board.h"
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/PositionKey.h"
#include "board/Setup.h"
#include "support/FreshEngine.h"

class MovesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshEngine();
    Game.engineIsWhite = true;
  }
};

// The position of a FEN line as set-up lays it out; the engine takes the side to move.
inline Board FenBoard(std::string_view fen) {
  Board board = EmptyBoard;
  bool engineIsWhite = true;
  EXPECT_TRUE(ReadFen(fen, board, engineIsWhite)) << fen;
  Game.engineIsWhite = engineIsWhite;
  return board;
}
