#include "search/TransTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "board/Geometry.h"
#include "search/Search.h"
#include "search/SearchControl.h"

TranspositionTables TT;

// The search threads share the tables without a lock: a slot may be read while another thread
// writes it, and then holds fields of two stores. Such a slot can only mislead, never crash: the
// key is checked field by field, a move read from a slot is searched only once the node's own
// move generator has produced it (search/Node.cpp), and a score or depth is a number like any
// other. These functions are the only racy accesses of the search; ThreadSanitizer is told to
// leave them out, so that any race it reports elsewhere is a real one.
#if defined(__SANITIZE_THREAD__)
#define RACY_TABLE_ACCESS __attribute__((no_sanitize("thread")))
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define RACY_TABLE_ACCESS __attribute__((no_sanitize("thread")))
#endif
#endif
#ifndef RACY_TABLE_ACCESS
#define RACY_TABLE_ACCESS
#endif

constexpr size_t LargePageSize = size_t(2) << 20;

void *AllocateTableMemory(size_t bytes) {
  void *memory = ::operator new(bytes, std::align_val_t(LargePageSize));
  if (Hooks.adviseLargePages != nullptr) Hooks.adviseLargePages(memory, bytes);
  return memory;
}

void FreeTableMemory(void *memory) { ::operator delete(memory, std::align_val_t(LargePageSize)); }

void SizeHashTables(int hashSize) {
  TT.hashMask = uint32_t(hashSize) * BucketsPerSizeUnit - 1;
  TT.engineTable.assign(TT.hashMask + 1, TTBucket{});
  TT.opponentTable.assign(TT.hashMask + 1, TTBucket{});
  TT.hashAge = 2;
}

// Every field of every slot becomes zero: an empty slot (move zero) is never read, so this is the
// same as clearing the moves and ages alone, done with one sweep of memory.
void TTClear() {
  TT.hashAge = 2;
  for (auto *table : {&TT.engineTable, &TT.opponentTable})
    std::memset(static_cast<void *>(table->data()), 0, table->size() * sizeof(TTBucket));
}

// The check byte: the engine's castling rights in bits 0..1, the opponent's in bits 2..3 and the
// en passant file (0 for none) in bits 4..7.
constexpr int OpponentRightsUnit = 4, EnPassantFileUnit = 16;
static uint8_t CheckByte(const Board &board) {
  int enPassant = board[EnPassantSquare];
  return uint8_t(board[EngineRights] + OpponentRightsUnit * board[OpponentRights] +
                 EnPassantFileUnit * (enPassant != 0 ? FileOf[enPassant] : 0));
}

static TTBucket &BucketFor(uint64_t key, int ply) {
  BucketTable &table = ply % 2 == 1 ? TT.engineTable : TT.opponentTable;
  return table[uint32_t(key) & TT.hashMask];
}

void TTPrefetch(uint64_t key, int ply) { __builtin_prefetch(&BucketFor(key, ply)); }

// The key's parts a slot keeps: bits 16..31 and bits 32..63.
static constexpr uint16_t KeyMiddle(uint64_t key) { return uint16_t(uint32_t(key) >> 16); }
static constexpr uint32_t KeyHigh(uint64_t key) { return uint32_t(key >> 32); }

RACY_TABLE_ACCESS static bool SlotMatches(const TTSlot &slot, uint64_t key, uint8_t checkByte,
                                          int minimumAge) {
  return !slot.move.IsNull() && slot.age >= minimumAge && slot.keyMiddle == KeyMiddle(key) &&
         slot.keyHigh == KeyHigh(key) && slot.checkByte == checkByte;
}

RACY_TABLE_ACCESS void TTProbe(const Board &board, uint64_t key, int ply, int requiredDepth, int32_t bound,
                               Move &move, int32_t &margin) {
  const TTBucket &bucket = BucketFor(key, ply);
  uint8_t checkByte = CheckByte(board);
  int minimumAge = TT.hashAge - 1;
  bool engineToMove = ply % 2 == 1;
  Move slotMove[2] = {NullMove, NullMove};
  int32_t slotMargin[2] = {-Infinite, -Infinite};
  for (int k = 0; k < 2; k++) {
    const TTSlot &slot = bucket.slot[k];
    if (!SlotMatches(slot, key, checkByte, minimumAge)) continue;
    slotMove[k] = slot.move;
    bool proves = engineToMove ? slot.score >= bound : slot.score <= bound;
    if (proves) slotMargin[k] = slot.depth - requiredDepth;
  }
  int chosen;
  if (slotMargin[0] >= 0 || slotMargin[0] > slotMargin[1])
    chosen = 0;
  else if (slotMargin[1] > slotMargin[0])
    chosen = 1;
  else
    chosen = !slotMove[0].IsNull() ? 0 : 1;
  move = slotMove[chosen];
  margin = move.IsNull() ? -Infinite : slotMargin[chosen];
}

RACY_TABLE_ACCESS void TTStore(const SearchThread &t, const Board &board, uint64_t key, int ply,
                               int32_t score, int remainingDepth, const PrincipalLine &line) {
  score = std::clamp(score, -MateThreshold, MateThreshold);
  bool insideProbe = ply >= 2 && t.stack[ply - 1].probe.Any();
  if (ply % 2 == 1) {
    if (score < t.aspirationLow || insideProbe) score = -MoveOnlyScore;
  } else if (score > t.aspirationHigh || insideProbe) {
    score = MoveOnlyScore;
  }
  TTBucket &bucket = BucketFor(key, ply);
  TTSlot &fresh = bucket.slot[1];
  fresh.age = TT.hashAge;
  fresh.keyMiddle = KeyMiddle(key);
  fresh.keyHigh = KeyHigh(key);
  fresh.checkByte = CheckByte(board);
  fresh.move = line.move[1];
  fresh.depth = int8_t(remainingDepth);
  fresh.score = int16_t(score);
  const TTSlot &kept = bucket.slot[0];
  if (!kept.move.IsNull() && kept.age >= TT.hashAge && kept.depth >= remainingDepth) return;
  bucket.slot[0] = fresh;
}

RACY_TABLE_ACCESS bool TTFindMateMove(const Board &board, uint64_t key, Move &move) {
  const TTBucket &bucket = BucketFor(key, 1);
  uint8_t checkByte = CheckByte(board);
  for (const TTSlot &slot : bucket.slot) {
    if (SlotMatches(slot, key, checkByte, TT.hashAge - 1) && slot.score >= MateThreshold) {
      move = slot.move;
      return true;
    }
  }
  return false;
}

std::string TTStatistics() {
  long count = 0, slots = 0;
  for (auto *table : {&TT.engineTable, &TT.opponentTable})
    for (const TTBucket &bucket : *table)
      for (const TTSlot &slot : bucket.slot) {
        count += slot.move.IsNull() ? 0 : 1;
        slots++;
      }
  double percentage = double(count) / double(slots) * 100;
  char text[96];
  std::snprintf(text, sizeof text, "posities in ht: %ld = %2.0f %%  van ht", count, percentage);
  return text;
}
