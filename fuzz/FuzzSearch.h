// What the fuzz targets share: the start-up tables once per process, and a short untimed search of
// a position the way the test mode searches it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/Board.h"

// 1024 buckets a table instead of the smallest configurable 65536: every new game clears both
// tables, and a fuzz input's search fills only a few hundred slots. Same code, far less memory swept.
constexpr uint32_t FuzzTableBuckets = 1024;
// Every search a target drives stops after this many nodes of the main thread (once the first
// root move is scored): most of a real position's scoring pass, and a bound on the crowded
// positions the fuzzer builds (a dozen queens a side), which would cost tens of times as much.
// Coverage does not grow with more: the search's branches are met in its first few hundred nodes.
// The engine itself searches with no cap.
constexpr uint64_t FuzzNodeCap = 500;
// The interface targets search several times an input (each move, each ponder search, each
// replayed pair of a game file): less a search. A small position still finishes its scoring pass
// within it and reaches the deeper iteration, whose polls read the commands that follow.
constexpr uint64_t FuzzInterfaceNodeCap = 150;

// The interface targets' start, once a process: a scratch directory, a virtual clock that moves a
// hundredth of a second a reading, the engine started as its front ends start it, small tables.
void FuzzStartUpEngine();
void FuzzInitTables();   // the computed tables with small transposition tables, every record reset
void FuzzSmallTables();  // the transposition tables cut to FuzzTableBuckets (unless they are), cleared
// A new game on the position with the engine to move, searched to the given depth, no book.
void FuzzSearch(const Board &board, bool engineIsWhite, int depth);
// A position a reader accepted: its moves two plies deep, then a search to the given depth.
void FuzzAcceptedPosition(const Board &board, bool engineIsWhite, int depth);
