// The search driver: one root scoring pass at depth 3 that gives every root move an exact score,
// then iterative deepening from depth 4 with aspiration windows, until the clock, the depth limit,
// a mate, the book or a command ends it. It sets up each iteration around the root node, whose own
// part of the node procedure is in search/Root.h, and keeps the draw pull across moves.
//
// It runs the main search thread and, with more than one thread, helper threads that deepen the
// same root on their own records (SearchThread) and share only the tables and the stop signal;
// the main thread alone polls, reports and decides the move.
//
// The border with the game: a search starts from a RootInput that the game flow prepares (the
// position after the opponent's move, its EvalState, the game's history and fifty-move count with
// that move already counted, the supplied reply and the limits; the book already probed into
// BookRecord) and ends with a SearchResult; the game flow plays the move and keeps the game. The
// search never writes the game. Input, the clock and the thinking output it reaches through
// SearchHooks (search/SearchControl.h), which the front end fills at start-up.
#pragma once

#include <cstdint>

#include "board/Move.h"
#include "search/Search.h"
#include "search/SearchControl.h"

void ResetSearchState();       // a new process: every record of the search empty
void ResetSearchForNewGame();  // draw pull and recent scores, the lines
void PrepareMoveSearch();      // per move: counters, best line, killers
// Chooses the engine's move in input.board, on input.limits.threadCount threads. The result's move
// is the first of Tree.bestLine; when the opponent's move was illegal, result.legal is false. A
// search left for a pending new or quit returns what it had.
SearchResult ChooseMove(const RootInput &input);
// The nodes of the last (or the running) search, over all its threads.
uint64_t SearchNodeTotal();
// Draw pull after each move: the depth reached and the move played.
void UpdateDrawishCap(int32_t depth, Move move, int32_t score);
