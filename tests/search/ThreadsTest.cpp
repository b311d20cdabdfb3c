// The search on several threads: the main thread's move is legal, mates keep their distance and
// score, every thread counts in the nodes, and a stop ends every helper with the search.
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/search/SearchFixture.h"

namespace {

// The threads of this process now.
int ProcessThreads() {
  int count = 0;
  for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/task")) count++;
  return count;
}

void ExpectLegal(std::string_view fen, const std::string &moveText) {
  Board board = EmptyBoard;
  bool engineIsWhite = true;
  ASSERT_TRUE(ReadFen(fen, board, engineIsWhite));
  Move best = Tree.bestLine.move[1];
  ASSERT_FALSE(best.IsNull()) << fen;
  EXPECT_EQ(CompactMoveText(best), moveText);
  EXPECT_EQ(ReadSanMove(board, SanMoveText(board, best)), best) << fen << " " << moveText;
}

class ThreadsTest : public SearchTest, public ::testing::WithParamInterface<int> {};

TEST_P(ThreadsTest, LegalMovesAndEveryThreadsNodes) {
  const char *const positions[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "2rq1rk1/pp1bppbp/3p1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 4 12",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
  };
  for (const char *fen : positions) {
    SearchOutcome outcome = SearchFen(fen, 7, GetParam());
    ExpectLegal(fen, outcome.move);
    EXPECT_GT(SearchNodeTotal(), uint64_t(Tree.nodeCount)) << fen;  // the helpers searched too
  }
}

TEST_P(ThreadsTest, MatesKeepTheirScore) {
  const struct {
    const char *fen, *move;
    int32_t score;
  } mates[] = {{"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "D1D8", 32000},
               {"rr3k1K/8/8/8/8/8/8/8 b - - 0 1", "F8F7", 31998},
               {"2rr2k1/5ppp/8/8/8/4Q3/4RPPP/4R1K1 w - - 0 1", "E3E8", 31996},
               {"4r1k1/4rppp/4q3/8/8/8/5PPP/2RR2K1 b - - 0 1", "E6E1", 31996}};
  for (const auto &mate : mates) {
    SearchOutcome outcome = SearchFen(mate.fen, 9, GetParam());
    EXPECT_EQ(outcome.move, mate.move) << mate.fen;
    EXPECT_EQ(outcome.score, mate.score) << mate.fen;
  }
}

TEST_P(ThreadsTest, StopEndsEveryThread) {
  const char *fen = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 3 8";
  std::thread([] {}).join();  // a thread sanitizer starts its own thread with the first one
  int before = ProcessThreads();
  SearchOutcome outcome;
  auto started = std::chrono::steady_clock::now();
  std::thread search([&] { outcome = SearchFen(fen, FullHorizon, GetParam()); });
  // The search's own thread and its helpers, once the scoring pass is over.
  for (int wait = 0; wait < 100 && ProcessThreads() < before + GetParam(); wait++)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(ProcessThreads(), before + GetParam());
  Signals.stopSearch = true;
  search.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(ProcessThreads(), before);
  ExpectLegal(fen, outcome.move);
}

INSTANTIATE_TEST_SUITE_P(TwoAndFour, ThreadsTest, ::testing::Values(2, 4),
                         [](const ::testing::TestParamInfo<int> &threads) {
                           return std::to_string(threads.param) + "Threads";
                         });

}  // namespace
