// The static evaluation of a node, from the engine's side (the odd-coded pieces): a positive term is
// good for the engine, a negative one for the opponent; a pawn is worth 95.
//
// Evaluate makes one pass over the squares 21 upwards to the sentinel and fills the term fields of
// the node's EvalState (pieceSquareSum, the king terms, positionalTerm, threatTerm, and through the
// pawn evaluation doubledTerm, pawnStructureTerm and passedPawnTerm); SumScore adds them up. The two
// sides are not scored as mirror images: tables, values and whole rules differ on purpose.
// Fields it is told not to recompute (the pawn terms when pawnsChanged is clear, the king danger
// when kingSafety is clear) keep what the parent's copy held.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"
#include "eval/RootInputs.h"

// The board is written during the call (single squares emptied and restored) and left as it was.
void Evaluate(Board &board, EvalState &state, bool engineToMove, Move lastMove, bool pawnsChanged,
              bool kingSafety, const EvalContext &context);
// The evaluation of the root node: pawn bitboards built afresh, everything recomputed, the engine
// to move after lastMove (NullMove when there is none), summed at depth 1 and ply 1.
void EvaluateRoot(Board &root, EvalState &state, const EvalContext &context, Move lastMove);
