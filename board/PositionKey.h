// The 64-bit position key: Zobrist numbers over the placement of the pieces on the 64 playing
// squares. Side to move, castling rights and the en passant square are not in the key; the
// transposition table keeps the sides apart by using one table per side and checks the other
// state with the check byte of its slots.
//
// The numbers come from a fixed 64-bit linear congruential generator, so a position has the same
// key in every run (and in every game log).
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/Move.h"

constexpr int ZobristPieceCount = 16;  // index 0 and 13..15 stay zero
constexpr int ZobristSquareCount = 64;

// Indexed by piece index (PieceIndex) and square number 0..63 (ZobristSquareNumber).
extern uint64_t ZobristTable[ZobristPieceCount][ZobristSquareCount];

// The number for a piece standing on a playing square; 0 for an empty square or a non-piece code.
uint64_t ZobristNumber(int square, uint8_t piece);

void InitZobrist();                       // draws the numbers; start-up, after the tables are sized
uint64_t ComputeKey(const Board &board);  // XOR over every occupied playing square
// The key after the move, from the key before it: movingPiece is the content of the origin before
// the move, capturedPiece the piece taken (the pawn itself for en passant, 0 otherwise). The null
// move leaves the key as it is; castling also moves its rook.
uint64_t UpdateKey(uint64_t key, Move move, uint8_t movingPiece, uint8_t capturedPiece);
