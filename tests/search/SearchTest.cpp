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
