// Making a move on a board copy, and the attack tests that legality, move ordering and the
// evaluation ask. There is no unmake: every search node owns its copy of the board and of the
// EvalState and drops it when it returns.
#pragma once

#include "board/Board.h"

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

void MakeMove(Move move, Board &board, EvalState &state);            // board and material, castling terms
void ApplyMove(Move move, Board &board);                             // the board only
bool IsAttacked(const Board &board, int square, int attackingSide);  // side 1 engine, 2 opponent
bool SideToMoveInCheck(const Board &board, bool engineToMove);       // its king attacked
bool IsAttackedByCheaper(uint8_t piece, const Board &board, int square, int attackingSide);
bool ThreatensHeavyPiece(const Board &board, Move move);  // board after the move
// The queen, rook and minor balances and the bishop colour counters after the piece leaves the
// square (change -1) or appears on it (change +1); pawns and kings change nothing here.
void CountPieceChange(EvalState &state, uint8_t piece, int square, int change);
