// The move search as a whole: mates at their distance, for the engine on either side.
#include <string>

#include "tests/search/SearchFixture.h"

namespace {

struct MateCase {
  const char *fen, *move;
  int32_t score;
};  // 32002 - 2N for a mate in N
void PrintTo(const MateCase &c, std::ostream *out) { *out << c.fen; }

class MateTest : public SearchTest, public ::testing::WithParamInterface<MateCase> {};

TEST_P(MateTest, MateInNScores32002Minus2N) {
  const MateCase &mate = GetParam();
  SearchOutcome outcome = SearchFen(mate.fen, 9);
  EXPECT_EQ(outcome.move, mate.move);
  EXPECT_EQ(outcome.score, mate.score);
  int plies = 0;
  while (plies + 1 < LineLength && !Tree.bestLine.move[plies + 1].IsNull()) plies++;
  EXPECT_EQ(plies, 32001 - mate.score);
  EXPECT_LE(Tree.depthReached, 5);
}

std::string MateName(const ::testing::TestParamInfo<MateCase> &info) {
  return std::string(info.param.move) + "Scores" + std::to_string(info.param.score);
}

INSTANTIATE_TEST_SUITE_P(
    WhiteAndBlack, MateTest,
    ::testing::Values(MateCase{"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "D1D8", 32000},
                      MateCase{"3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "D8D1", 32000},
                      MateCase{"8/8/8/8/8/8/8/RR3K1k w - - 0 1", "F1F2", 31998},
                      MateCase{"rr3k1K/8/8/8/8/8/8/8 b - - 0 1", "F8F7", 31998},
                      MateCase{"2rr2k1/5ppp/8/8/8/4Q3/4RPPP/4R1K1 w - - 0 1", "E3E8", 31996},
                      MateCase{"4r1k1/4rppp/4q3/8/8/8/5PPP/2RR2K1 b - - 0 1", "E6E1", 31996}),
    MateName);

}  // namespace

namespace {

// The node cap that the fuzz targets set: the search ends at the cap as one whose time is up, and
// plays the best move of what it finished; a cap below the scoring pass's first root move waits
// for that move, so that there is always a move to play.
TEST_F(SearchTest, NodeCapEndsTheSearchWithAMove) {
  const char *fen = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8";
  SearchFen(fen, 5);
  uint64_t uncapped = Tree.nodeCount;
  EXPECT_FALSE(Signals.stopSearch);
  for (uint64_t cap : {uint64_t(1), uint64_t(2000)}) {
    FreshEngine();
    Books.useBook = false;
    SearchOutcome capped = SearchFen(fen, 5, 1, cap);
    EXPECT_NE(capped.move, "") << cap;
    EXPECT_TRUE(Signals.stopSearch && Signals.stoppedByTime) << cap;
    EXPECT_GE(Tree.nodeCount, cap);
    EXPECT_LT(Tree.nodeCount, uncapped);
  }
  EXPECT_LE(Tree.nodeCount, 2000u + 10u);  // a few illegal children past the cap, no more
}

}  // namespace
