// The invariants the rest of the engine relies on, checked against a recount from the squares.
// They are slow (a walk over the whole board) and run only inside KRELIN_ASSERT and in tests.
//
//   BoardIsOk        border and sentinels in place, valid codes on the playing squares, one king a
//                    side on its king-square byte, no pawn on a back row, at most 16 men a side,
//                    castling rights only with king and rook at home, an en passant pawn that
//                    has just made its double step
//   MoveIsOk         a resolved move that fits the board before it is made: a piece of a side on
//                    the origin, a destination its kind allows (never a king), the pawn an en
//                    passant capture takes, the right a castling uses, a promotion only (and
//                    always) on the last row; not whether it leaves the king in check
//   EvalStateIsOk    the material, balances and bishop counts of the record equal a recount, and
//                    so does the position key unless the record keeps none (0)
//   RecountMaterial  an EvalState with only those counted fields filled, every other field 0
#pragma once

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"

bool BoardIsOk(const Board &board);
bool MoveIsOk(const Board &board, Move move);
bool EvalStateIsOk(const Board &board, const EvalState &state);
EvalState RecountMaterial(const Board &board);
