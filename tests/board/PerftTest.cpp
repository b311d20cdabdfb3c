#include <ostream>
#include <string>

#include "board/EvalState.h"
#include "board/Perft.h"
#include "tests/board/MovesFixture.h"

namespace {

struct PerftCase {
  const char *fen;
  int depth;
  uint64_t leaves;
};

void PrintTo(const PerftCase &c, std::ostream *out) { *out << c.fen << " depth " << c.depth; }

// Published counts.
const PerftCase PublishedCases[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 5, 4865609},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4, 4085603},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 5, 674624},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 4, 422333},
    {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 4, 422333},
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 4, 2103487},
    {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 4, 3894594},
};

// Small positions for single rules (counts agreed with an independent engine): en passant that
// would expose the king along a diagonal, a file and a row, castling past attacked squares,
// promotions, stalemate.
const PerftCase RuleCases[] = {
    {"8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 5, 206379},
    {"3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1", 5, 185429},
    {"8/8/8/8/k2Pp2Q/8/8/3K4 b - d3 0 1", 5, 117741},
    {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", 4, 6399},
    {"r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1", 3, 50509},
    {"r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1", 3, 27826},
    {"4k3/1P6/8/8/8/8/K7/8 w - - 0 1", 5, 38983},
    {"2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1", 4, 19174},
    {"8/P1k5/K7/8/8/8/8/8 w - - 0 1", 5, 18135},
    {"K1k5/8/P7/8/8/8/8/8 w - - 0 1", 6, 2217},
};

uint64_t PerftOf(const char *fen, int depth) { return Perft(FenBoard(fen), EvalState{}, depth, true); }

class PerftTest : public MovesTest, public ::testing::WithParamInterface<PerftCase> {};

TEST_P(PerftTest, LeafCount) { EXPECT_EQ(PerftOf(GetParam().fen, GetParam().depth), GetParam().leaves); }

std::string CaseName(const ::testing::TestParamInfo<PerftCase> &info) {
  return "Case" + std::to_string(info.index) + "Depth" + std::to_string(info.param.depth) + "Leaves" +
         std::to_string(info.param.leaves);
}

INSTANTIATE_TEST_SUITE_P(Published, PerftTest, ::testing::ValuesIn(PublishedCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Rules, PerftTest, ::testing::ValuesIn(RuleCases), CaseName);

}  // namespace
