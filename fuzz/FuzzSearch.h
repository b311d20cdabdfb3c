// What the fuzz targets share: the start-up tables once per process, and a short untimed search of
// a position the way the test mode searches it.
#pragma once

#include "board/Board.h"

void FuzzInitTables();  // the computed tables with a small transposition table, every record reset
// A new game on the position with the engine to move, searched to the given depth, no book.
void FuzzSearch(const Board &board, bool engineIsWhite, int depth);
// A position a reader accepted: its moves two plies deep, then a depth-3 search.
void FuzzAcceptedPosition(const Board &board, bool engineIsWhite);
