// Attack tests on a board: whether a side attacks a square, whether a cheaper piece does, and
// whether a move just made threatens a rook or queen. They read the board only.
//
//   IsAttacked            any piece of the side attacks the square
//   SideToMoveInCheck     the side's king is attacked
//   IsAttackedByCheaper   a piece of lower weight than the given one attacks the square
//   ThreatensHeavyPiece   the piece that just moved attacks an enemy rook or queen
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/Move.h"

bool IsAttacked(const Board &board, int square, int attackingSide);  // side 1 engine, 2 opponent
bool SideToMoveInCheck(const Board &board, bool engineToMove);       // its king attacked
bool IsAttackedByCheaper(uint8_t piece, const Board &board, int square, int attackingSide);
bool ThreatensHeavyPiece(const Board &board, Move move);  // board after the move
