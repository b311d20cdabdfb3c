// Pawn structure and passed pawns.
//
// The pawn bitboards of EvalState (one SquareBit per pawn) are built at the root and updated after
// every move that changes the pawns; together with the pawn-square lists the scan fills they must
// describe the node's board whenever an evaluation reuses its parent's pawn terms.
// EvaluatePawnStructure writes doubledTerm, pawnStructureTerm and the passed pawns of both sides
// into passerList (engine entries 0..enginePasserCount - 1, opponent entries 8..opponentPasserEnd - 1;
// the square when the pawn is connected, minus the square when it is not). EvaluatePassedPawns
// scores the listed passers against the kings and pieces of the node; Evaluate combines its totals
// into passedPawnTerm.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"

constexpr int OpponentPassersStart = 8;  // passerList index of the opponent's first passed pawn

// The work totals of one passed-pawn evaluation, from the engine's and from the opponent's side.
struct PasserTotals {
  int32_t enginePasserSum;
  int32_t opponentPasserSum;
  int32_t engineRunnerBest;  // best value of an engine pawn the enemy king cannot stop
  int32_t opponentRunnerBest;
};

void BuildPawnBits(EvalState &state, const Board &board);  // both bitboards from squares 31..88
// After move was made on board; captured is the piece it took (0 = none, the pawn for en passant).
void UpdatePawnBits(Move move, uint8_t captured, EvalState &state, const Board &board);
void EvaluatePawnStructure(const Board &board, EvalState &state);  // from the pawn lists and bitboards
// Also counts runnerCount. The board is emptied and restored square by square for the free-path test.
PasserTotals EvaluatePassedPawns(Board &board, EvalState &state, bool engineToMove, Move lastMove,
                                 int32_t oppPhase, int32_t engPhase);
// passedPawnTerm += the combined totals; the side's queen on the board makes its runners count more.
void CombinePassedPawns(PasserTotals totals, bool engineQueenPresent, bool opponentQueenPresent,
                        EvalState &state);
