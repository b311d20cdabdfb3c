// What the fuzz targets share: the start-up tables once per process, and a short untimed search of
// a position the way the test mode searches it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/Board.h"

// 1024 buckets a table instead of the smallest configurable 65536: every new game clears both
// tables, and a fuzz input's search fills only a few hundred slots. Same code, far less memory swept.
constexpr uint32_t FuzzTableBuckets = 1024;

void FuzzInitTables();   // the computed tables with small transposition tables, every record reset
void FuzzSmallTables();  // the transposition tables cut to FuzzTableBuckets, cleared
// A new game on the position with the engine to move, searched to the given depth, no book.
void FuzzSearch(const Board &board, bool engineIsWhite, int depth);
// A position whose moves two plies deep lead to more leaves than a busy middle game's is crowded:
// the fuzzer builds such (a dozen queens a side), and their search costs tens of times a real
// position's. One crowded position in CrowdedSearchShare, chosen by the input, is searched.
constexpr uint64_t CrowdedLeaves = 2500;
constexpr uint64_t CrowdedSearchShare = 4;

// A position a reader accepted: its moves two plies deep, then a search to the given depth unless
// it is crowded and the input's hash does not choose it.
void FuzzAcceptedPosition(const Board &board, bool engineIsWhite, int depth, uint64_t inputHash);
uint64_t FuzzInputHash(const uint8_t *data, size_t size);  // FNV-1a of the input
