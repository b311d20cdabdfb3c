// Constant evaluation tables indexed by a mailbox square, written the way a reader checks them:
// one source line per board row, the top row first, eight values for columns 1..8. Every index
// that no row names (the border columns, the rows left out) holds 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "board/Board.h"

using SquareTable = std::array<int32_t, BoardSize>;

// rows[0] is mailbox row topRow, rows[1] the row below it, and so on.
template <size_t Rows>
constexpr SquareTable TableFromRows(int topRow, const int32_t (&rows)[Rows][8]) {
  SquareTable table{};
  for (size_t r = 0; r < Rows; r++)
    for (int column = 1; column <= 8; column++) table[(topRow - int(r)) * 10 + column] = rows[r][column - 1];
  return table;
}
