// Score summation and endgame scaling.
//
// SumScore adds the term fields Evaluate filled, the material and the path bonus into totalScore
// (from the engine's side), with corrections for castling paths still blocked since the root,
// exchange balances, queens and the draw pull of the search driver. Once either side is down to
// 1690 of piece material, known drawish material is scaled towards 0 and a winning advantage is
// stretched; scaling never turns a score's sign.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/EvalState.h"
#include "eval/RootInputs.h"
#include "eval/SquareTable.h"

extern const SquareTable EdgeTable;  // 4 on the corners, 2 on the other edge squares, 0 inside
extern const SquareTable CornerOf;   // the corner of the 2 x 2 block a square lies in, 0 elsewhere

// depth and ply are the node's; the context gives the root values and the lazy-evaluation depth.
void SumScore(const Board &board, EvalState &state, const EvalContext &context, int depth, int ply);
