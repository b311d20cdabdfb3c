#include "board/Geometry.h"
#include "board/Move.h"
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
  }
  void Store(uint64_t key, int ply, int32_t score, int depth, Move move = MoveA) {
    PrincipalLine line{};
    line.move[1] = move;
    TTStore(Tree, board_, key, ply, score, depth, line);
  }
  // The hash move and the margin by which the stored score proves the bound.
  std::pair<Move, int32_t> Probe(uint64_t key, int ply, int requiredDepth, int32_t bound) {
    std::pair<Move, int32_t> probe{};
    TTProbe(board_, key, ply, requiredDepth, bound, probe.first, probe.second);
    return probe;
  }
  TTBucket &Bucket(uint64_t key) { return TT.engineTable[uint32_t(key) & TT.hashMask]; }
  Board board_ = EmptyBoard;
};

TEST_F(TransTableTest, EntriesOfTwoSearchesAgoAreIgnoredButCounted) {
  TT.hashAge = 10;
  Store(KeyA, 1, 31500, 4);  // a mate score, clamped to 31000
  EXPECT_EQ(Bucket(KeyA).slot[0].score, 31000);
  Move mate{};
  ASSERT_TRUE(TTFindMateMove(board_, KeyA, mate));
  EXPECT_EQ(mate, MoveA);
  EXPECT_FALSE(TTFindMateMove(board_, KeyB, mate));  // same bucket, other key
  TT.hashAge = 11;
  EXPECT_EQ(Probe(KeyA, 1, 4, 100).second, 0);
  EXPECT_TRUE(TTFindMateMove(board_, KeyA, mate));
  TT.hashAge = 12;
  EXPECT_EQ(Probe(KeyA, 1, 4, 100), std::make_pair(NullMove, -Infinite));
  EXPECT_FALSE(TTFindMateMove(board_, KeyA, mate));
  EXPECT_EQ(TTStatistics(), "posities in ht: 2 =  0 %  van ht");
  Store(KeyA, 1, 100, 1, MoveB);  // a deeper slot 0 of an earlier search gives way to any store
  EXPECT_EQ(Bucket(KeyA).slot[0].move, MoveB);
}

}  // namespace
