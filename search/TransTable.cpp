#include "search/TransTable.h"

TranspositionTables TT;

void SizeHashTables(int hashSize) {
  TT.hashMask = uint32_t(hashSize) * 65536u - 1;
  TT.engineTable.assign(TT.hashMask + 1, TTBucket{});
  TT.opponentTable.assign(TT.hashMask + 1, TTBucket{});
  TT.hashAge = 2;
}

void TTClear() {
  TT.hashAge = 2;
  for (auto *table : {&TT.engineTable, &TT.opponentTable}) {
    for (TTBucket &bucket : *table) {
      for (TTSlot &slot : bucket.slot) {
        slot.move = NullMove;
        slot.age = 0;
      }
    }
  }
}
