// The draw pull kept across moves: DrawishCap grows while the engine's score stays small and
// steady after quiet moves, and falls to 0 after captures, promotions and changing scores.
#include "tests/search/SearchFixture.h"

namespace {

using DrawPullTest = SearchTest;

const Move QuietPush{34, 44, QuietMove, 0};

void Update(int32_t score, Move move = QuietPush, int depth = 5) { UpdateDrawishCap(depth, move, score); }

TEST_F(DrawPullTest, CapGrowsByAQuarterUpTo150) {
  for (int k = 0; k < 3; k++) Update(100);  // the scores of the new game (-32000) still count
  EXPECT_EQ(Tree.drawishCap, 0);
  const int32_t caps[] = {2, 4, 6, 8, 10, 12, 15, 18, 22, 27, 33, 41, 51, 63, 78, 97, 121, 150, 150};
  for (int32_t cap : caps) {
    Update(100);
    EXPECT_EQ(Tree.drawishCap, cap);
  }
}

TEST_F(DrawPullTest, ShallowSearchesChangeNothing) {
  Tree.drawishCap = 20;
  for (int k = 0; k < 4; k++) Update(60, QuietPush, 4);
  EXPECT_EQ(Tree.drawishCap, 20);
  EXPECT_EQ(Tree.recentScores[3], -Infinite);
  Update(60, QuietPush, 5);
  EXPECT_EQ(Tree.recentScores[3], 60);
}

TEST_F(DrawPullTest, CapturesPromotionsAndScoresOutOfLineReset) {
  auto capAfter = [](int32_t score, Move move) {
    for (int32_t earlier : {60, 60, 60}) Update(earlier);
    Tree.drawishCap = 40;
    Update(score, move);
    return Tree.drawishCap;
  };
  EXPECT_EQ(capAfter(60, QuietPush), 50);
  EXPECT_EQ(capAfter(60, (Move{34, 45, CaptureMove, 0})), 0);
  EXPECT_EQ(capAfter(60, (Move{55, 64, EnPassantMove, 0})), 0);
  EXPECT_EQ(capAfter(60, (Move{84, 94, QuietMove, EngineQueen})), 0);
  EXPECT_EQ(capAfter(40, QuietPush), 50);
  EXPECT_EQ(capAfter(39, QuietPush), 0);
  // With 50, 51 and 51 before, 90 and 91 average 60.5 and 60.75, truncated to 60: 90 is within
  // 30 of it, 91 is not.
  for (int32_t earlier : {50, 51, 51}) Update(earlier);
  Update(90);
  EXPECT_GT(Tree.drawishCap, 0);
  for (int32_t earlier : {50, 51, 51}) Update(earlier);
  Update(91);
  EXPECT_EQ(Tree.drawishCap, 0);
}

TEST_F(DrawPullTest, OpponentCaptureIntoTheRootResetsTheCap) {
  // The opponent's knight has just taken on f6 (or come there quietly).
  const char *fen = "4k3/8/5n2/8/8/8/8/R3K3 w - - 0 1";
  for (int8_t kind : {QuietMove, CaptureMove}) {
    Board board = StartFen(fen);
    Tree.drawishCap = 40;
    RunChooseMove(board, 3, Move{97, 76, kind, 0});
    EXPECT_EQ(Tree.drawishCap, kind == QuietMove ? 40 : 0);
    EXPECT_EQ(Tree.context.drawishCap, Tree.drawishCap);
  }
}

}  // namespace
