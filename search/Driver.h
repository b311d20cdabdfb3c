// The search driver: one root scoring pass at depth 3 that gives every root move an exact score,
// then iterative deepening from depth 4 with aspiration windows, until the clock, the depth limit,
// a mate, the book or a command ends it. It owns everything that happens only at the root: the
// set-up of the root node (the opponent's move, the game history, the book probe), the root-move
// table, the handling of each searched root move and the polling of input and clock.
//
// It runs the main search thread and, with more than one thread, helper threads that deepen the
// same root on their own records (SearchThread) and share only the tables and the stop signal;
// the main thread alone polls, reports and decides the move.
//
// Input, the clock and the thinking output it reaches through SearchHooks, which the driver fills
// at start-up; its limits it reads from SearchLimits, which the game flow sets before each search.
// The game itself it still reaches directly, at the root of the scoring pass: it copies the root
// to the game board, counts the opponent's move into the fifty-move count and the game history,
// and probes and fills the book record.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"
#include "search/Search.h"

// What the search needs from the engine around it.
struct SearchHooks {
  bool (*inputWaiting)();      // a protocol line can be read now (or one is pending)
  void (*pollInput)();         // the in-search command handler
  bool (*newOrQuitPending)();  // the pending line is "new" or "quit": leave at once
  double (*elapsedTime)();     // days since the search clock started
  void (*restartClock)();
  double (*clockDays)();        // the clock, for seeding the random choices
  void (*postLine)(int moves);  // thinking output
  void (*analysisLine)(int moves, bool withScore);
  void (*searchLogLine)(int count);
  void (*iterationDone)();                                // after every completed iteration (may be null)
  void (*adviseLargePages)(void *address, size_t bytes);  // for the tables when sized (may be null)
};
extern SearchHooks Hooks;
SearchHooks SilentHooks();  // no input, no clock, no reports: the search alone

// Limits and switches the game flow sets before each search.
struct SearchLimits {
  double softTimeLimit;
  double hardTimeLimit;
  int32_t minTimeStopDepth;
  int32_t maxHorizon;
  bool testMode;
  bool testTimed;
  double testTimeLimit;
  bool fullEvalToggle;
  bool openingGuidance;     // the engine's development is incomplete on a wing
  int32_t gameRecordCount;  // move pairs of the game, for the book
  // When rootMoveCount > 0, the root searches only these moves (the interface's choice).
  int32_t rootMoveCount;
  Move rootMoves[MoveListSize];
  int32_t threadCount;  // search threads, the main one included (0 or 1: the main thread alone)
  // A cap on the main thread's nodes, set only by the fuzz targets, whose searches must stay short
  // whatever position the input builds (0: no cap, as in every game). With a cap the main thread
  // polls at every node, and a search that reaches it (with a root move scored) ends as one whose
  // time is up.
  uint64_t nodeCap;
};
constexpr int MaxSearchThreads = 64;
extern SearchLimits Limits;

void ResetSearchState();       // a new process: every record of the search empty, the limits too
void ResetSearchForNewGame();  // draw pull and recent scores, the lines
void PrepareMoveSearch();      // per move: counters, best line, killers
// Chooses the engine's move, on Limits.threadCount threads: board is the game position after the opponent's
// move (lastMove, or NullMove), state its EvalState. Returns false when the opponent's move was illegal. The
// move is the first of Tree.bestLine.
bool ChooseMove(const Board &board, const EvalState &state, Move lastMove);
// The nodes of the last (or the running) search, over all its threads.
uint64_t SearchNodeTotal();
// Draw pull after each move: the depth reached and the move played.
void UpdateDrawishCap(int32_t depth, Move move, int32_t score);

// The root's part of the node procedure.
// Sets up the root node on its board (the opponent's move lastMove already made) and state: the
// per-search depths, and in the scoring pass the game history, the root's evaluation inputs and
// the book probe. False when lastMove left the opponent's king in check or castled through check.
bool SetUpRoot(SearchThread &t, const Board &board, EvalState &state, Move lastMove);
// The pre-moves of the root after the scoring pass, last to be searched first: the best root
// moves with the previous iteration's best move on top. Returns their count.
int LoadRootPreMoves(SearchThread &t, Move *preMoves);
// The score a searched root move counts with: in the scoring pass the forced reply and the book's
// or the table's move are taken as they stand.
int32_t RootMoveScore(const SearchThread &t, Move move, int32_t score);
// After a legal root move with that score: the root-move table or the best line, the thinking
// output and the stop on time. May replace the root's value and line and declare a cut-off.
void RootMoveSearched(SearchThread &t, Move move, int32_t score, bool improved,
                      const PrincipalLine &childLine, PrincipalLine &line, int32_t &value, bool &cutoff);
// The terms and the book's restrictions for a root move, at its node (ply 2) after the
// evaluation: true when the book decides the node's value at once.
bool RootMoveTerms(SearchThread &t, Move move, uint8_t piece, bool inCheck, EvalState &state, int32_t &value);
// Every 32768 nodes of the main thread: input, the clock, the ponder hit or miss. True when the
// search must stop; a helper thread only asks whether it must.
bool PollAndTestTime(SearchThread &t);
// Whether the root may search this move: always, unless the interface named the root's moves.
bool RootMoveAllowed(Move move);
