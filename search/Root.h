// The root's part of the node procedure: what the node at ply 1 (and its children at ply 2) does
// that no other node does, and the poll of input and clock that every node makes. The node
// procedure (search/Node.h) calls these at its steps; the driver (search/Driver.h) sets up the
// iteration around them. They read the search's RootInput through the thread's record and the
// book's answer in BookRecord, and write only the thread's record and the root's book decision.
//
//   SetUpRoot          the root node's depths, and in the scoring pass its inputs and table mate
//   RootMoveTerms      a root move's own terms and the book's restrictions, at its node
//   LoadRootPreMoves   the root's pre-moves after the scoring pass
//   RootMoveAllowed    whether the interface lets the root search a move
//   RootMoveScore      the score a searched root move counts with
//   RootMoveSearched   the root-move table, the best line, the thinking output, the stop on time
//   PollAndTestTime    input, the clock and the ponder hit, every few thousand nodes
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"
#include "search/Search.h"

// Iterations deeper than this are selective and use the table; from it on they are reported.
constexpr int SelectiveHorizon = 4;
constexpr int PostLineMoves = 20;        // moves of the thinking output after a new best root move
constexpr int32_t ScoreDropMargin = 20;  // a drop this large buys time up to the soft limit

// Sets up the root node on its board (the opponent's move lastMove already made) and state: the
// per-search depths, and in the scoring pass the root's evaluation inputs and the table's mate
// move when the book has none. False when lastMove left the opponent's king in check or castled
// through check.
bool SetUpRoot(SearchThread &t, const Board &board, EvalState &state, Move lastMove);
// The pre-moves of the root after the scoring pass, last to be searched first: the best root
// moves with the previous iteration's best move on top. Returns their count.
int LoadRootPreMoves(SearchThread &t, Move *preMoves);
// The score a searched root move counts with: in the scoring pass the supplied reply and the book's
// or the table's move are taken as they stand.
int32_t RootMoveScore(const SearchThread &t, Move move, int32_t score);
// After a legal root move with that score: the root-move table or the best line, the thinking
// output and the stop on time. May replace the root's value and line and declare a cut-off.
void RootMoveSearched(SearchThread &t, Move move, int32_t score, bool improved,
                      const PrincipalLine &childLine, PrincipalLine &line, int32_t &value, bool &cutoff);
// The terms and the book's restrictions for a root move, at its node (ply 2) after the
// evaluation: true when the book or the supplied reply decides the node's value at once.
bool RootMoveTerms(SearchThread &t, Move move, uint8_t piece, bool inCheck, EvalState &state, int32_t &value);
// Every 32768 nodes of the main thread: input, the clock, the ponder hit or miss. True when the
// search must stop; a helper thread only asks whether it must.
bool PollAndTestTime(SearchThread &t);
// Whether the root may search this move: always, unless the interface named the root's moves.
bool RootMoveAllowed(const SearchThread &t, Move move);
