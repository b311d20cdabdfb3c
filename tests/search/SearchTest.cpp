// The move search as a whole: mates, roots without moves, determinism, draws against the game,
// the aspiration windows of the deepening loop and a stopped search.
#include <algorithm>
#include <vector>

#include "tests/search/SearchFixture.h"

namespace {

struct MateCase { const char *fen, *move; int32_t score; };  // 32002 - 2N for a mate in N

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

INSTANTIATE_TEST_SUITE_P(
    WhiteAndBlack, MateTest,
    ::testing::Values(MateCase{"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "D1D8", 32000},
                      MateCase{"3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "D8D1", 32000},
                      MateCase{"8/8/8/8/8/8/8/RR3K1k w - - 0 1", "F1F2", 31998},
                      MateCase{"rr3k1K/8/8/8/8/8/8/8 b - - 0 1", "F8F7", 31998},
                      MateCase{"2rr2k1/5ppp/8/8/8/4Q3/4RPPP/4R1K1 w - - 0 1", "E3E8", 31996},
                      MateCase{"4r1k1/4rppp/4q3/8/8/8/5PPP/2RR2K1 b - - 0 1", "E6E1", 31996}));

const char *const MiddleGame = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 3 8";
const char *const MateIn3 = "2rr2k1/5ppp/8/8/8/4Q3/4RPPP/4R1K1 w - - 0 1";

const Move OpponentKingG8{98, 97, QuietMove, 0};  // the opponent's move into the root

TEST_F(SearchTest, FiftyMoveCountDrawsEveryReversibleLine) {
  const char *queenAgainstKing = "6k1/8/8/8/8/8/8/3QK3 w - - 0 1";
  RunChooseMove(StartFen(queenAgainstKing), 5, OpponentKingG8);
  EXPECT_GT(Tree.rootBest, 800);
  Board board = StartFen(queenAgainstKing);
  Game.fiftyMoveCount = 99;
  RunChooseMove(board, 5, OpponentKingG8);
  EXPECT_EQ(Game.fiftyMoveCount, 100);
  EXPECT_EQ(Tree.rootBest, 0);
}

TEST_F(SearchTest, RootMoveToAPositionSeenTwiceIsADraw) {
  const char *lost = "3qq1k1/8/8/8/8/8/8/R5K1 w - - 0 1";  // lost unless Ra1-b1 repeats a third time
  for (int seenBefore : {1, 2}) {
    Board board = StartFen(lost);
    Board seen = AfterMove(board, ParseMove("A1B1"));
    for (int k = 0; k < seenBefore; k++) PushGamePosition(seen, 0);
    RunChooseMove(board, 5, OpponentKingG8);
    EXPECT_EQ(Outcome().move == "A1B1" && Tree.rootBest == 0, seenBefore == 2) << Tree.rootBest;
    EXPECT_EQ(Tree.rootBest < -1000, seenBefore == 1) << Tree.rootBest;
  }
}

// The deepening loop, watched after every iteration.
struct Iteration { int horizon, low, high, rootBest, researchCount; };

std::vector<Iteration> Iterations;
void (*AfterIteration)() = nullptr;

void RecordIteration() {
  Iterations.push_back({Tree.horizon, Tree.aspirationLow, Tree.aspirationHigh, Tree.rootBest, Tree.researchCount});
  if (AfterIteration != nullptr) AfterIteration();
}

class DeepeningTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    Iterations.clear();
    AfterIteration = nullptr;
    Hooks.iterationDone = RecordIteration;
  }
};

void PretendFailure(int researchCount, bool failedLow) {
  Tree.researchCount = Iterations.back().researchCount = researchCount;
  Tree.failedLow = failedLow;
}

TEST_F(DeepeningTest, FailuresWidenOneSideUntilTheFifthAttemptTakesTheFullWindow) {
  AfterIteration = [] {
    if (Iterations.size() == 2) PretendFailure(1, true);   // depth 5 failed low,
    if (Iterations.size() == 3) PretendFailure(2, false);  // then high,
    if (Iterations.size() == 4) PretendFailure(4, false);  // and twice more
  };
  RunChooseMove(StartFen(MiddleGame), 6);
  ASSERT_GE(Iterations.size(), 6u);
  struct Window { int horizon, low, high; };
  const int32_t best1 = Iterations[1].rootBest, best2 = Iterations[2].rootBest;
  const Window expected[] = {{5, Iterations[0].rootBest - 50, Iterations[0].rootBest + 50},
                             {5, best1 - 100, Infinite},
                             {5, -Infinite, best2 + 100},
                             {5, -Infinite, Infinite}};
  for (int k = 0; k < 4; k++) {
    EXPECT_EQ(Iterations[k + 1].horizon, expected[k].horizon) << k;
    EXPECT_EQ(Iterations[k + 1].low, expected[k].low) << k;
    EXPECT_EQ(Iterations[k + 1].high, expected[k].high) << k;
  }
  EXPECT_EQ(Iterations[4].researchCount, 0);  // accepted whatever it scored
  EXPECT_EQ(Iterations[5].horizon, 6);
}

// A search stopped by a command posts what the full search posts up to the stop and returns the last.
struct Post {
  int horizon; Move move; int32_t score;
  bool operator==(const Post &) const = default;
};

std::vector<Post> Posts;
int PollsBeforeStop = 0;

TEST_F(SearchTest, StoppedSearchKeepsTheLastFinishedRootMove) {
  Hooks.postLine = [](int) { Posts.push_back({Tree.horizon, Tree.bestLine.move[1], Tree.rootBest}); };
  Hooks.inputWaiting = [] { return true; };
  Hooks.pollInput = [] {
    if (--PollsBeforeStop == 0) Signals.stopSearch = Signals.commandPending = true;
  };
  Posts.clear();
  PollsBeforeStop = -1;  // counts down without reaching 0
  SearchFen(MiddleGame, 7);
  const std::vector<Post> full = Posts;
  const uint64_t fullNodes = Tree.nodeCount;
  const int polls = -1 - PollsBeforeStop;
  ASSERT_GE(polls, 2);
  for (int stopAt : {1, polls}) {
    Posts.clear();
    PollsBeforeStop = stopAt;
    SearchOutcome stopped = SearchFen(MiddleGame, 7);
    ASSERT_TRUE(Signals.stopSearch);
    EXPECT_LT(stopped.nodes, fullNodes);
    ASSERT_FALSE(Posts.empty());
    ASSERT_LE(Posts.size(), full.size());
    EXPECT_TRUE(std::equal(Posts.begin(), Posts.end(), full.begin())) << stopAt;
    EXPECT_EQ(Tree.bestLine.move[1], Posts.back().move);
    EXPECT_EQ(stopped.score, Posts.back().score);
  }
}

}  // namespace
