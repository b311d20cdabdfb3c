// Making a move on a board copy. There is no unmake: every search node owns its copy of the board
// and of the EvalState and drops it when it returns.
//
//   SetGPawnWatch / ClearGPawnWatch   the g-pawn flags the game flow sets before a search
//   MakeMove              board, material and the castling and g-pawn path terms
//   ApplyMove             the board only
//   CountPieceChange      the piece balances when a piece leaves or appears on a square
#pragma once

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"

// Flags the game flow sets before a search: that side's king stands on its king side, so an
// advance of its g-pawn weakens the shelter (see MakeMove).
struct MoveFlags {
  bool engineGPawnWatch;
  bool opponentGPawnWatch;
};
extern MoveFlags GPawnWatch;
// Sets both flags from the game position before a search (its king-square bytes filled): the
// engine's when its king stands on 27 or 28, the opponent's when its king stands on 97 or 98.
void SetGPawnWatch(const Board &gameBoard);
void ClearGPawnWatch();  // both flags off

void MakeMove(Move move, Board &board, EvalState &state);  // board and material, castling terms
void ApplyMove(Move move, Board &board);                   // the board only
// The queen, rook and minor balances and the bishop colour counters after the piece leaves the
// square (change -1) or appears on it (change +1); pawns and kings change nothing here.
void CountPieceChange(EvalState &state, uint8_t piece, int square, int change);
