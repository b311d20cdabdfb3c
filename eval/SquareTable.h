// Constant evaluation tables indexed by a mailbox square, written the way a reader checks them:
// one source line per board row, the top row first, eight values for the files a..h. Rows are the
// engine's (board/Squares.h): a table drawn from LastRow down has the opponent's back row on top.
// Every index that no row names (the border columns, the rows left out) holds 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "board/Board.h"
#include "board/Squares.h"

using SquareTable = std::array<int32_t, BoardSize>;

// rows[0] is the engine-relative row topRow, rows[1] the row below it, and so on.
template <size_t Rows>
constexpr SquareTable TableFromRows(int topRow, const int32_t (&rows)[Rows][FileH]) {
  SquareTable table{};
  for (size_t r = 0; r < Rows; r++)
    for (int column = FileA; column <= FileH; column++)
      table[SquareAt(column, topRow - int(r))] = rows[r][column - FileA];
  return table;
}
