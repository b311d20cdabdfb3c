// The draw pull kept across moves: it grows while the score stays small and steady after quiet
// moves, and falls to 0 after captures, promotions and changing scores.
#include "tests/search/SearchFixture.h"

namespace {

using DrawPullTest = SearchTest;

const Move QuietPush{34, 44, QuietMove, 0};

void Update(int32_t score, Move move = QuietPush, int depth = 5) { UpdateDrawishCap(depth, move, score); }

TEST_F(DrawPullTest, CapGrowsByAQuarterUpTo150) {
  for (int k = 0; k < 3; k++) Update(100);  // the scores of the new game still count
  EXPECT_EQ(Tree.drawishCap, 0);
  for (int32_t cap : {2, 4, 6, 8, 10, 12, 15, 18, 22, 27, 33, 41, 51, 63, 78, 97, 121, 150, 150}) {
    Update(100);
    EXPECT_EQ(Tree.drawishCap, cap);
  }
  Update(100, QuietPush, 4);  // shallow searches change nothing
  EXPECT_EQ(Tree.drawishCap, 150);
}

TEST_F(DrawPullTest, CapturesPromotionsAndScoresOutOfLineReset) {
  struct Case {
    int32_t score;
    Move move;
    int32_t cap;
  };
  const Case cases[] = {{60, QuietPush, 50}, {60, Move{34, 45, CaptureMove, 0}, 0}, {60, Move{55, 64, EnPassantMove, 0}, 0},
                        {60, Move{84, 94, QuietMove, EngineQueen}, 0}, {40, QuietPush, 50}, {39, QuietPush, 0}};
  for (const Case &c : cases) {
    for (int k = 0; k < 3; k++) Update(60);
    Tree.drawishCap = 40;
    Update(c.score, c.move);
    EXPECT_EQ(Tree.drawishCap, c.cap) << c.score;
  }
}

}  // namespace
