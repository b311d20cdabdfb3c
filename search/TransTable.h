// The two transposition tables: one for positions with the engine to move (odd plies), one for
// the opponent to move (even plies). A bucket holds a depth-preferred slot 0 and an always
// replaced slot 1. Sized once at start-up from the configuration; they live until exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"

// A slot keeps the key's high half and bits 16..31 of its low half: bits 0..15 are the bucket's
// own index (a table has at least 65536 buckets), so a slot that matches these matches the whole
// 64-bit key. Sixteen bytes a slot, two to a bucket aligned on 32 bytes: a probe reads one half of
// one cache line.
constexpr uint32_t BucketsPerSizeUnit = 65536;  // a table holds hashSize times this many buckets
constexpr int SlotsPerBucket = 2;
constexpr size_t BucketBytes = 32;
struct TTSlot {
  Move move;  // zero: the slot is empty
  uint32_t keyHigh;
  uint16_t keyMiddle;  // bits 16..31 of the key's low half
  int16_t score;
  int16_t age;        // HashAge when stored
  int8_t depth;       // remaining depth of the stored search
  uint8_t checkByte;  // castling rights and en passant file
};
static_assert(sizeof(TTSlot) * SlotsPerBucket == BucketBytes, "slots fill their bucket");

struct alignas(BucketBytes) TTBucket {
  TTSlot slot[SlotsPerBucket];
};
static_assert(sizeof(TTBucket) == BucketBytes, "a bucket is two slots");

// The tables' memory is aligned on 2 MiB, and the system is asked to back it with large pages
// before it is first written.
void *AllocateTableMemory(size_t bytes);
void FreeTableMemory(void *memory);
template <typename T>
struct TableAllocator {
  using value_type = T;
  TableAllocator() = default;
  template <typename U>
  TableAllocator(const TableAllocator<U> &) {}
  T *allocate(size_t count) { return static_cast<T *>(AllocateTableMemory(count * sizeof(T))); }
  void deallocate(T *memory, size_t) { FreeTableMemory(memory); }
  friend bool operator==(const TableAllocator &, const TableAllocator &) { return true; }
};
using BucketTable = std::vector<TTBucket, TableAllocator<TTBucket>>;

struct TranspositionTables {
  BucketTable engineTable;    // engine side to move
  BucketTable opponentTable;  // opponent side to move
  uint32_t hashMask;          // buckets per table minus one
  int16_t hashAge;
};
extern TranspositionTables TT;

void SizeHashTables(int hashSize);       // hashSize x BucketsPerSizeUnit buckets per table, all zero
void TTClear();                          // empties every slot, HashAge 2
void TTPrefetch(uint64_t key, int ply);  // asks the memory for the bucket a probe will read

struct PrincipalLine;
struct SearchThread;

// The stored move for this position (zero: none) and the depth margin: >= 0 proves a cut-off
// against bound at this ply; -32000 when no slot proves anything.
void TTProbe(const Board &board, uint64_t key, int ply, int requiredDepth, int32_t bound, Move &move,
             int32_t &margin);
void TTStore(const SearchThread &t, const Board &board, uint64_t key, int ply, int32_t score,
             int remainingDepth, const PrincipalLine &line);
bool TTFindMateMove(const Board &board, uint64_t key, Move &move);  // engine side's table only
std::string TTStatistics();  // the occupancy line "posities in ht: N = P %  van ht"
