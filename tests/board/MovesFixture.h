// Shared set-up of the move tests: the start-up tables, the engine as White, and small helpers to
// build positions.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>
#include <utility>

#include "board/Board.h"
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

// An empty board with the given pieces; king squares filled when kings are among them.
inline Board PiecesBoard(std::initializer_list<std::pair<int, uint8_t>> pieces) {
  Board board = EmptyBoard;
  for (auto [square, piece] : pieces) {
    board[square] = piece;
    if (piece == EngineKing) board[EngineKingSquare] = uint8_t(square);
    if (piece == OpponentKing) board[OpponentKingSquare] = uint8_t(square);
  }
  return board;
}
