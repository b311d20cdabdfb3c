// Move ordering inside a node: killers (four slots per ply, slot 3 the strongest) and the filter
// that keeps only plausible evasions when the side to move is in check. The stages themselves
// (pre-moves, good captures, killers, other captures, quiet moves, deferred moves) are walked by
// the node procedure.
#pragma once

#include "board/Board.h"
#include "board/Move.h"
#include "board/MoveGen.h"
#include "search/Search.h"

void ClearKillers(SearchThread &t);
// The killer in slot of killerPly when it is still a playable quiet move here and not yet tried;
// it is then added to the tried list. NullMove otherwise.
Move PickKiller(const SearchThread &t, const Board &board, int killerPly, int slot, TriedMoves &tried);
// A quiet best move of a node at ply: marked as seen near the root, then promoted or inserted.
void UpdateKillers(SearchThread &t, int ply, Move move, uint8_t piece);
// When the side to move at ply is in check: may this move answer the check?
bool PassesEvasionFilter(const SearchThread &t, const Board &board, int ply, Move move);
