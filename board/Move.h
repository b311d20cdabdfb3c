// Moves: four bytes compared and copied as one 32-bit word. Inside a MoveList a move carries a
// generator kind (ray direction, PawnMove, StepMove, SpecialMove, EndOfList); once an iterator has
// handed it out it carries a resolved kind (QuietMove, CastlingMove, EnPassantMove, CaptureMove).
//
//   Move              from, to, kind, promotion; Word() for comparisons
//   NullMove, EndMove, the four castling moves   the fixed records
//   MoveList          a stack of generator records, EndMove in slot 0
#pragma once

#include <bit>
#include <cstdint>

#include "board/Board.h"

// ---------------------------------------------------------------------------------------------
// Move kinds. Ray records carry their direction (-11..11) as the kind.
constexpr int8_t QuietMove = 10;
constexpr int8_t CastlingMove = 30;
constexpr int8_t EnPassantMove = 40;
constexpr int8_t CaptureMove = 60;
constexpr int8_t PawnMove = 90;
constexpr int8_t StepMove = 100;
constexpr int8_t SpecialMove = 110;
constexpr int8_t EndOfList = 120;

struct Move {
  Square from;
  Square to;
  int8_t kind;
  uint8_t promotion;  // piece code the pawn becomes, 0 = none

  uint32_t Word() const { return std::bit_cast<uint32_t>(*this); }
  bool IsNull() const { return Word() == 0; }
  friend bool operator==(Move a, Move b) { return a.Word() == b.Word(); }
};
static_assert(sizeof(Move) == 4, "a move is one 32-bit word");

constexpr Move NullMove{0, 0, 0, 0};
constexpr Move EndMove{0, 0, EndOfList, 0};
constexpr Move EngineCastleShort{25, 27, SpecialMove, 0};
constexpr Move EngineCastleLong{25, 23, SpecialMove, 0};
constexpr Move OpponentCastleShort{95, 97, SpecialMove, 0};
constexpr Move OpponentCastleLong{95, 93, SpecialMove, 0};

constexpr int MoveListSize = 128;

// A stack of generator records: slot 0 holds EndMove, records from slot 1 upward.
struct MoveList {
  Move slot[MoveListSize];
};
