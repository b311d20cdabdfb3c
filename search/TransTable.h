// The two transposition tables: one for positions with the engine to move (odd plies), one for
// the opponent to move (even plies). A bucket holds a depth-preferred slot 0 and an always
// replaced slot 1. Sized once at start-up from the configuration; they live until exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"

#pragma pack(push, 1)
struct TTSlot {
  Move move;         // zero: the slot is empty
  uint32_t keyLow;
  uint32_t keyHigh;
  int16_t score;
  int16_t age;       // HashAge when stored
  int8_t depth;      // remaining depth of the stored search
  uint8_t checkByte; // castling rights and en passant file
};
#pragma pack(pop)
static_assert(sizeof(TTSlot) == 18, "a slot is 18 packed bytes");

struct TTBucket {
  TTSlot slot[2];
};
static_assert(sizeof(TTBucket) == 36, "a bucket is two slots");

struct TranspositionTables {
  std::vector<TTBucket> engineTable;    // engine side to move
  std::vector<TTBucket> opponentTable;  // opponent side to move
  uint32_t hashMask;                    // buckets per table minus one
  int16_t hashAge;
};
extern TranspositionTables TT;

void SizeHashTables(int hashSize);  // hashSize x 65536 buckets per table, all zero
void TTClear();                     // empties every slot, HashAge 2

struct PrincipalLine;

// The stored move for this position (zero: none) and the depth margin: >= 0 proves a cut-off
// against bound at this ply; -32000 when no slot proves anything.
void TTProbe(const Board &board, uint64_t key, int ply, int requiredDepth, int32_t bound, Move &move,
             int32_t &margin);
void TTStore(const Board &board, uint64_t key, int ply, int32_t score, int remainingDepth,
             const PrincipalLine &line);
bool TTFindMateMove(const Board &board, uint64_t key, Move &move);  // engine side's table only
std::string TTStatistics();  // the occupancy line "posities in ht: N = P %  van ht"
