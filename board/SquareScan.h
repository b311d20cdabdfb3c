// Scans of the playing squares that test sixteen squares at once on the packed rows, and the lines
// from a square as bit masks, so that empty squares cost nothing. The only place that uses the
// processor's vector instructions (SSE2, present on every x86-64).
//
//   PackRows                  the 64 playing squares, two rows to a vector; pack once, ask often
//   PieceSquareBits<Side>     the squares of a side's pieces (or AnySide), one bit a square
//   SquaresHolding            the squares holding one piece code
//   OccupiedSquareBits        the squares that are not empty
//   SquareOfBit               the mailbox square of a bit
//   FirstStopAlong            the first square along a line that is not empty
//   ForEachSquareOf / ForEachSquareDescending / ForEachPieceSquare   visit a mask's squares
#pragma once

#include <bit>
#include <cstdint>
#include <initializer_list>

#include <emmintrin.h>

#include "board/Board.h"

// Piece scans that test sixteen squares at once, so that empty squares cost nothing. SideBits is
// EngineSide, OpponentSide, or AnySide for every piece of either side (never an empty square, the
// border or a sentinel). The squares come out as the plain walk from 21 up to the sentinel on 99
// (or down from 98) meets them; the board is read once, before the first square is visited.
constexpr int AnySide = 0;

// The 64 playing squares, two rows to a 16-byte vector (byte 8 * (row - 2) + column - 1 of the
// whole, as PieceSquareBits numbers them), so that one byte compare per vector finds a piece code
// on sixteen squares at once. Pack once, then ask for as many codes as needed.
struct PackedRows {
  __m128i rowPair[4];
};

inline PackedRows PackRows(const Board &board) {
  PackedRows rows;
  for (int i = 0; i < 4; i++) {
    __m128i lower = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(&board.cell[21 + 20 * i]));
    __m128i upper = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(&board.cell[31 + 20 * i]));
    rows.rowPair[i] = _mm_unpacklo_epi64(lower, upper);
  }
  return rows;
}

// Bit 8 * (row - 2) + (column - 1) is set when that playing square holds a piece of the side asked
// for: sixteen squares' side bits are compared at once.
template <int SideBits>
inline uint64_t PieceSquareBits(const PackedRows &rows) {
  const __m128i sideMask = _mm_set1_epi8(char(SideMask));
  uint64_t bits = 0;
  for (int i = 0; i < 4; i++) {
    __m128i side = _mm_and_si128(rows.rowPair[i], sideMask);
    int found;
    if constexpr (SideBits == AnySide) {  // neither an empty square nor the border or a sentinel
      __m128i none = _mm_or_si128(_mm_cmpeq_epi8(side, _mm_setzero_si128()), _mm_cmpeq_epi8(side, sideMask));
      found = ~_mm_movemask_epi8(none);
    } else {
      found = _mm_movemask_epi8(_mm_cmpeq_epi8(side, _mm_set1_epi8(char(SideBits))));
    }
    bits |= uint64_t(uint16_t(found)) << (16 * i);
  }
  return bits;
}

template <int SideBits>
inline uint64_t PieceSquareBits(const Board &board) {
  return PieceSquareBits<SideBits>(PackRows(board));
}

// The mailbox square of a bit of PieceSquareBits.
inline int SquareOfBit(int bit) { return 21 + bit + 2 * (bit / 8); }

// The squares holding the piece code, as a PieceSquareBits mask.
inline uint64_t SquaresHolding(const PackedRows &rows, uint8_t piece) {
  __m128i code = _mm_set1_epi8(char(piece));
  uint64_t bits = 0;
  for (int i = 0; i < 4; i++) {
    auto found = uint16_t(_mm_movemask_epi8(_mm_cmpeq_epi8(rows.rowPair[i], code)));
    bits |= uint64_t(found) << (16 * i);
  }
  return bits;
}

// The squares that are not empty, as a PieceSquareBits mask: pieces and pawns of either side.
inline uint64_t OccupiedSquareBits(const PackedRows &rows) { return ~SquaresHolding(rows, Empty); }

// Lines from a playing square, as PieceSquareBits masks, for finding the first square that is not
// empty along a line without walking it. A line's squares run away from its square in the order of
// the mask's bits for a positive step and against it for a negative one, since the bits follow the
// mailbox order.
struct LineMasks {
  int8_t bitOfSquare[BoardSize];  // -1 off the playing squares
  uint64_t line[64][8];           // by bit and LineIndex of the step, the square itself excluded
  int8_t end[64][8];              // the square beyond the line's last one (the border or a sentinel)
};

// 0..7 for the steps -11, -10, -9, -1, 1, 9, 10, 11.
constexpr int LineIndex(int step) {
  return step < -1 ? step + 11 : step == -1 ? 3 : step == 1 ? 4 : step - 4;
}

constexpr LineMasks MakeLineMasks() {
  LineMasks masks{};
  for (int s = 0; s < BoardSize; s++) masks.bitOfSquare[s] = -1;
  for (int bit = 0; bit < 64; bit++) masks.bitOfSquare[21 + bit + 2 * (bit / 8)] = int8_t(bit);
  for (int bit = 0; bit < 64; bit++) {
    int from = 21 + bit + 2 * (bit / 8);
    for (int step : {-11, -10, -9, -1, 1, 9, 10, 11}) {
      int to = from + step;
      while (to >= 0 && to < BoardSize && masks.bitOfSquare[to] >= 0) {
        masks.line[bit][LineIndex(step)] |= uint64_t(1) << masks.bitOfSquare[to];
        to += step;
      }
      masks.end[bit][LineIndex(step)] = int8_t(to);
    }
  }
  return masks;
}
inline constexpr LineMasks Lines = MakeLineMasks();

// The first square from the playing square `from` along step that is not empty (a piece, a pawn,
// or the border or a sentinel beyond the last square), as the walk over empty squares finds it.
inline int FirstStopAlong(uint64_t occupied, int from, int step) {
  int bit = Lines.bitOfSquare[from], index = LineIndex(step);
  uint64_t hits = Lines.line[bit][index] & occupied;
  if (hits == 0) return Lines.end[bit][index];
  return SquareOfBit(step > 0 ? std::countr_zero(hits) : 63 - std::countl_zero(hits));
}

// Visits the squares of a PieceSquareBits mask from 21 upward, resp. from 98 downward.
template <typename Visit>
inline void ForEachSquareOf(uint64_t bits, Visit &&visit) {
  for (; bits != 0; bits &= bits - 1) visit(SquareOfBit(std::countr_zero(bits)));
}

template <typename Visit>
inline void ForEachSquareDescending(uint64_t bits, Visit &&visit) {
  while (bits != 0) {
    int bit = 63 - std::countl_zero(bits);
    visit(SquareOfBit(bit));
    bits &= ~(uint64_t(1) << bit);
  }
}

template <int SideBits, typename Visit>
inline void ForEachPieceSquare(const Board &board, Visit &&visit) {
  ForEachSquareOf(PieceSquareBits<SideBits>(board), visit);
}
