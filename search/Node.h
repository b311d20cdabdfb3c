// The node procedure: one call is one node. It makes its move on its own copy of the parent's
// board and EvalState, decides whether it searches full width or captures only, searches its
// children in stages (pre-moves, good captures, killers, other captures, quiet moves, deferred
// quiet moves) and returns a value, a principal line and the legality of its move to the parent.
// The same procedure serves the root (ply 1), the interior, the captures-only search beyond the
// horizon, the null move and the reduced probes.
//
// A node's value starts at init (the grandparent's value), so a node that finds nothing better
// returns init; a cut-off in the move loop returns the value that caused it; the pruning shortcuts
// (table cut-off, null move, static and delta pruning) return exactly the bound.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"
#include "search/Search.h"

// One node, searched by thread t (its path stack, killers, counters and root state: the node reads
// and writes no other search record but the shared tables). ply and depth are the parent's (0 at the root
// call); movesSearchedAtParent counts the parent's legal moves before this one; a maximising node cuts off
// when its value reaches bound, a minimising one when it falls to it. move is the move into the node
// (NullMove: the null move, or the root without an opponent move). legal is one flag shared by the whole
// tree: the node clears it when its move was illegal or pruned unsearched, and the parent sets it back.
void Search(SearchThread &t, const Board &parentBoard, int ply, int depth, int movesSearchedAtParent,
            int32_t bound, int32_t init, const EvalState &parentState, Move move, PrincipalLine &line,
            int32_t &value, bool &legal);
// The depth adjustment of a real move below the horizon, made on board by the mover at ply (piece
// moved, captured taken, inCheck: it gives check): extensions with their credit and count in
// state, and the quiet-move reduction with its path-bonus change. Returns the new depth.
int AdjustDepth(SearchThread &t, Board &board, EvalState &state, int ply, int depth, Move move, uint8_t piece,
                uint8_t captured, bool inCheck, int32_t &pathBonusChange);
