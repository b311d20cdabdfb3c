#include "search/TransTable.h"
#include "tests/search/SearchFixture.h"

namespace {

// Two keys of one bucket: the same low half, different high halves.
constexpr uint64_t KeyA = 0x0000'0001'0000'0123ull;
constexpr uint64_t KeyB = 0x0000'0002'0000'0123ull;

constexpr Move MoveA{21, 31, QuietMove, 0};
constexpr Move MoveB{22, 43, QuietMove, 0};

class TransTableTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    TTClear();
    Tree.aspirationLow = -Infinite;
    Tree.aspirationHigh = Infinite;
    board_ = EmptyBoard;
  }

  void Store(uint64_t key, int ply, int32_t score, int depth, Move move = MoveA) {
    PrincipalLine line{};
    line.move[1] = move;
    TTStore(board_, key, ply, score, depth, line);
  }

  struct Probe {
    Move move;
    int32_t margin;
  };
  Probe ProbeFor(uint64_t key, int ply, int requiredDepth, int32_t bound) {
    Probe probe{};
    TTProbe(board_, key, ply, requiredDepth, bound, probe.move, probe.margin);
    return probe;
  }

  TTBucket &EngineBucket(uint64_t key) { return TT.engineTable[uint32_t(key) & TT.hashMask]; }

  Board board_{};
};

// HASH=64 gives 4,194,304 buckets per table by the same rule; allocating those 302 MB takes
// seconds, so the default size stands in for it.
TEST_F(TransTableTest, TablesHoldHashSizeTimes65536Buckets) {
  SizeHashTables(8);
  EXPECT_EQ(TT.engineTable.size(), 524'288u);
  EXPECT_EQ(TT.opponentTable.size(), 524'288u);
  EXPECT_EQ(TT.hashMask, 524'287u);
  SizeHashTables(1);
  EXPECT_EQ(TT.engineTable.size(), 65'536u);
  EXPECT_EQ(TT.hashMask, 65'535u);
  EXPECT_EQ(TT.hashAge, 2);
}

TEST_F(TransTableTest, StatisticsLineCountsFilledSlotsOfBothTables) {
  EXPECT_EQ(TTStatistics(), "posities in ht: 0 =  0 %  van ht");
  Store(KeyA, 1, 10, 3);  // a first store fills both slots of its bucket
  EXPECT_EQ(TTStatistics(), "posities in ht: 2 =  0 %  van ht");
  for (TTBucket &bucket : TT.engineTable)
    for (TTSlot &slot : bucket.slot) slot.move = MoveB;
  EXPECT_EQ(TTStatistics(), "posities in ht: 131072 = 50 %  van ht");
  TTClear();
  EXPECT_EQ(TTStatistics(), "posities in ht: 0 =  0 %  van ht");
  EXPECT_EQ(TT.hashAge, 2);
}

TEST_F(TransTableTest, EntriesOfTwoSearchesAgoAreIgnoredButCounted) {
  TT.hashAge = 10;
  Store(KeyA, 1, 31500, 4);  // a mate score, clamped to 31000
  EXPECT_EQ(EngineBucket(KeyA).slot[0].score, 31000);
  Move mate{};
  ASSERT_TRUE(TTFindMateMove(board_, KeyA, mate));
  EXPECT_EQ(mate, MoveA);

  TT.hashAge = 11;  // the previous search's entries still count
  EXPECT_EQ(ProbeFor(KeyA, 1, 4, 100).margin, 0);
  EXPECT_TRUE(TTFindMateMove(board_, KeyA, mate));

  TT.hashAge = 12;
  Probe probe = ProbeFor(KeyA, 1, 4, 100);
  EXPECT_TRUE(probe.move.IsNull());
  EXPECT_EQ(probe.margin, -Infinite);
  EXPECT_FALSE(TTFindMateMove(board_, KeyA, mate));
  EXPECT_EQ(TTStatistics(), "posities in ht: 2 =  0 %  van ht");
}

TEST_F(TransTableTest, DeeperSlotZeroOfThisSearchIsKept) {
  TT.hashAge = 5;
  Store(KeyA, 1, 100, 6, MoveA);
  Store(KeyB, 1, 200, 3, MoveB);  // shallower: only the always-replaced slot
  const TTBucket &bucket = EngineBucket(KeyA);
  EXPECT_EQ(bucket.slot[0].move, MoveA);
  EXPECT_EQ(bucket.slot[0].depth, 6);
  EXPECT_EQ(bucket.slot[1].move, MoveB);
  EXPECT_EQ(ProbeFor(KeyA, 1, 6, 100).move, MoveA);
  EXPECT_EQ(ProbeFor(KeyB, 1, 3, 200).move, MoveB);

  Store(KeyB, 1, 200, 6, MoveB);  // as deep: slot 0 still wins
  EXPECT_EQ(bucket.slot[0].move, MoveA);
  Store(KeyB, 1, 200, 7, MoveB);  // deeper: both slots take it
  EXPECT_EQ(bucket.slot[0].move, MoveB);
  EXPECT_EQ(bucket.slot[1].move, MoveB);

  TT.hashAge = 6;  // slot 0 now belongs to the previous search and gives way to any store
  Store(KeyA, 1, 100, 1, MoveA);
  EXPECT_EQ(bucket.slot[0].move, MoveA);
  EXPECT_EQ(bucket.slot[0].depth, 1);
  EXPECT_EQ(bucket.slot[0].age, 6);
}

TEST_F(TransTableTest, CastlingRightsAndEnPassantFileMustMatch) {
  board_[EngineRights] = 2;
  board_[OpponentRights] = 1;
  board_[EnPassantSquare] = 54;  // file 4
  EXPECT_EQ(CheckByte(board_), 2 + 4 * 1 + 16 * 4);
  Store(KeyA, 1, 100, 4);
  EXPECT_EQ(ProbeFor(KeyA, 1, 4, 100).move, MoveA);

  Board stored = board_;
  board_[OpponentRights] = 3;
  EXPECT_TRUE(ProbeFor(KeyA, 1, 4, 100).move.IsNull());
  board_ = stored;
  board_[EnPassantSquare] = 55;
  EXPECT_TRUE(ProbeFor(KeyA, 1, 4, 100).move.IsNull());
  board_[EnPassantSquare] = 64;  // another rank, the same file
  EXPECT_EQ(ProbeFor(KeyA, 1, 4, 100).move, MoveA);
  board_ = stored;
  Move mate{};
  EXPECT_FALSE(TTFindMateMove(board_, KeyB, mate));  // same bucket, other key
}

TEST_F(TransTableTest, StoredScoreIsALowerBoundAtOddPliesAndAnUpperBoundAtEvenPlies) {
  Store(KeyA, 3, 100, 4);
  EXPECT_EQ(ProbeFor(KeyA, 3, 4, 100).margin, 0);  // score = bound proves the cut-off
  EXPECT_EQ(ProbeFor(KeyA, 3, 2, 99).margin, 2);
  Probe tooHigh = ProbeFor(KeyA, 3, 4, 101);
  EXPECT_EQ(tooHigh.move, MoveA);  // still the hash move
  EXPECT_EQ(tooHigh.margin, -Infinite);
  EXPECT_EQ(ProbeFor(KeyA, 3, 5, 100).margin, -1);       // too shallow
  EXPECT_TRUE(ProbeFor(KeyA, 4, 4, 100).move.IsNull());  // the other side's table

  Store(KeyA, 4, -100, 4, MoveB);
  EXPECT_EQ(ProbeFor(KeyA, 4, 4, -100).margin, 0);
  EXPECT_EQ(ProbeFor(KeyA, 4, 4, -99).margin, 0);
  EXPECT_EQ(ProbeFor(KeyA, 4, 4, -101).margin, -Infinite);
  EXPECT_EQ(ProbeFor(KeyA, 4, 4, -101).move, MoveB);
}

TEST_F(TransTableTest, ScoresOutsideTheWindowOrInsideAProbeKeepOnlyTheMove) {
  // Slot 1 always takes the newest store.
  const TTSlot &odd = EngineBucket(KeyA).slot[1];
  const TTSlot &even = TT.opponentTable[uint32_t(KeyA) & TT.hashMask].slot[1];
  Tree.aspirationLow = 0;
  Tree.aspirationHigh = 50;
  Store(KeyA, 1, -5, 4);
  EXPECT_EQ(odd.score, -32001);
  EXPECT_EQ(ProbeFor(KeyA, 1, 0, -Infinite).margin, -Infinite);
  EXPECT_EQ(ProbeFor(KeyA, 1, 0, -Infinite).move, MoveA);
  Store(KeyA, 1, 0, 4);  // at the low bound: a true score
  EXPECT_EQ(odd.score, 0);

  Store(KeyA, 2, 51, 4);
  EXPECT_EQ(even.score, 32001);
  EXPECT_EQ(ProbeFor(KeyA, 2, 0, Infinite).margin, -Infinite);
  Store(KeyA, 2, 50, 4);
  EXPECT_EQ(even.score, 50);

  Tree.probeCounter[1] = 1;  // the parent of ply 2 is inside a null-window probe
  Store(KeyA, 2, 20, 5);
  EXPECT_EQ(even.score, 32001);
  Tree.probeCounter[2] = 100;  // the parent of ply 3 is inside a reduced probe
  Store(KeyA, 3, 20, 5);
  EXPECT_EQ(odd.score, -32001);
}

}  // namespace
