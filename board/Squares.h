// Squares, files and steps by name, for the rules of the evaluation and the search.
//
// The board is seen from the engine's side: its back row is row 1 (mailbox 21..28) whichever
// colour it plays, and the opponent's back row is row 8 (91..98); files are never mirrored. So
// EngineF1 is the engine's f1: the real f1 when it plays White, the real f8 when it plays Black.
// The names say where a square is from the engine's chair, which is all a rule needs.
//
// Rows are compared through their a-file square: s >= EngineA4 is "on the engine's fourth row or
// beyond", s < EngineA3 "on its first two rows".
//
//   SquareAt   the square on a column (1..8, a..h) and an engine-relative row (1..8)
#pragma once

// A mailbox row is ten cells: a border cell, the eight columns, a border cell.
constexpr int RowLength = 10;
// Steps one row up (towards the opponent's back row), straight and along the diagonals; left and
// right as the engine sees the board, the a-file on the left.
constexpr int Up = RowLength, UpLeft = Up - 1, UpRight = Up + 1;

constexpr int FileA = 1, FileB = 2, FileC = 3, FileD = 4, FileE = 5, FileF = 6, FileG = 7, FileH = 8;
constexpr int LastRow = 8;  // the opponent's back row, the engine's pawns' last

constexpr int SquareAt(int column, int row) { return RowLength * (row + 1) + column; }

// clang-format off
enum EngineSquare : int {
  EngineA8 = 91, EngineB8, EngineC8, EngineD8, EngineE8, EngineF8, EngineG8, EngineH8,
  EngineA7 = 81, EngineB7, EngineC7, EngineD7, EngineE7, EngineF7, EngineG7, EngineH7,
  EngineA6 = 71, EngineB6, EngineC6, EngineD6, EngineE6, EngineF6, EngineG6, EngineH6,
  EngineA5 = 61, EngineB5, EngineC5, EngineD5, EngineE5, EngineF5, EngineG5, EngineH5,
  EngineA4 = 51, EngineB4, EngineC4, EngineD4, EngineE4, EngineF4, EngineG4, EngineH4,
  EngineA3 = 41, EngineB3, EngineC3, EngineD3, EngineE3, EngineF3, EngineG3, EngineH3,
  EngineA2 = 31, EngineB2, EngineC2, EngineD2, EngineE2, EngineF2, EngineG2, EngineH2,
  EngineA1 = 21, EngineB1, EngineC1, EngineD1, EngineE1, EngineF1, EngineG1, EngineH1,
};
// clang-format on
static_assert(EngineA1 == SquareAt(FileA, 1) && EngineH8 == SquareAt(FileH, LastRow));
