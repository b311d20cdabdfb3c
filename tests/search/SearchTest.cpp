// The move search as a whole: mates and their scores, roots without moves, determinism, the
// aspiration windows of the deepening loop, the order of the root moves, the draws the search
// finds against the game, and a mate remembered in the table from the previous search.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/search/SearchFixture.h"

namespace {

struct MateCase {
  const char *fen;
  const char *move;
  int32_t score;  // 32002 - 2N for a mate in N
};

class MateTest : public SearchTest, public ::testing::WithParamInterface<MateCase> {};

TEST_P(MateTest, MateInNScores32002Minus2N) {
  const MateCase &mate = GetParam();
  SearchOutcome outcome = SearchFen(mate.fen, 9);
  EXPECT_EQ(outcome.move, mate.move);
  EXPECT_EQ(outcome.score, mate.score);
  // The line is the whole mate, and the mate ends the deepening long before the depth limit.
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

TEST_F(SearchTest, RootWithoutMovesOrWithOne) {
  SearchOutcome mated = SearchFen("6k1/5ppp/8/8/8/8/5PPP/3r2K1 w - - 0 1", 5);
  EXPECT_EQ(mated.move, "");
  EXPECT_EQ(Tree.legalRootMoves, 0);
  EXPECT_TRUE(Tree.rootInCheck);

  SearchOutcome stalemate = SearchFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 5);
  EXPECT_EQ(stalemate.move, "");
  EXPECT_EQ(Tree.legalRootMoves, 0);
  EXPECT_FALSE(Tree.rootInCheck);

  // The only move loses: the engine is mated at ply 5, scored 5 - 32001.
  SearchOutcome only = SearchFen("R6k/8/5K2/8/8/8/8/8 b - - 0 1", 5);
  EXPECT_EQ(only.move, "H8H7");
  EXPECT_EQ(only.score, -31996);
  EXPECT_EQ(Tree.legalRootMoves, 1);
  EXPECT_TRUE(Tree.rootInCheck);
}

const char *const MiddleGame = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 3 8";
const char *const Endgame = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";

TEST_F(SearchTest, IdenticalSearchesCountTheSameNodes) {
  SearchOutcome first = SearchFen(MiddleGame, 6);
  SearchOutcome other = SearchFen(Endgame, 6);
  SearchOutcome again = SearchFen(MiddleGame, 6);
  EXPECT_EQ(again.nodes, first.nodes);
  EXPECT_EQ(again.move, first.move);
  EXPECT_EQ(again.score, first.score);
  EXPECT_EQ(SearchFen(Endgame, 6).nodes, other.nodes);

  // Without a new game: the same search again once the table is cleared.
  Board board = StartFen(MiddleGame);
  RunChooseMove(board, 6);
  TTClear();
  RunChooseMove(board, 6);
  EXPECT_EQ(Outcome().nodes, first.nodes);
}

// A mate stored at the root by one search is played by the next without deepening.
TEST_F(SearchTest, StoredMateIsPlayedFromTheTable) {
  const char *fen = "2rr2k1/5ppp/8/8/8/4Q3/4RPPP/4R1K1 w - - 0 1";
  Board board = StartFen(fen);
  RunChooseMove(board, 7);
  ASSERT_EQ(Outcome().score, 31996);
  int16_t age = TT.hashAge;
  RunChooseMove(board, 7);
  EXPECT_TRUE(BookRecord.chosen);
  EXPECT_EQ(BookRecord.status, BookStoredMate);
  EXPECT_EQ(Outcome().move, "E3E8");
  EXPECT_EQ(Outcome().score, 31000);
  EXPECT_EQ(TT.hashAge, age);  // no new age for a search that was not made
  EXPECT_EQ(Tree.depthReached, 3);
}

// ---------------------------------------------------------------------------------------------
// Draws against the game: the opponent's king move into the root keeps the history.

const Move OpponentKingG8{98, 97, QuietMove, 0};  // Kh8-g8, the engine playing White

TEST_F(SearchTest, FiftyMoveCountDrawsEveryReversibleLine) {
  const char *queenAgainstKing = "6k1/8/8/8/8/8/8/3QK3 w - - 0 1";
  Board board = StartFen(queenAgainstKing);
  RunChooseMove(board, 5, OpponentKingG8);
  EXPECT_GT(Tree.rootBest, 800);

  board = StartFen(queenAgainstKing);
  Game.fiftyMoveCount = 99;  // 100 after the opponent's move: any engine move passes the count
  RunChooseMove(board, 5, OpponentKingG8);
  EXPECT_EQ(Game.fiftyMoveCount, 100);
  EXPECT_EQ(Tree.rootBest, 0);
}

TEST_F(SearchTest, RootMoveToAPositionSeenTwiceIsADraw) {
  // A rook against two queens: lost, unless Ra1-b1 repeats the game for the third time.
  const char *lost = "3qq1k1/8/8/8/8/8/8/R5K1 w - - 0 1";
  Board board = StartFen(lost);
  RunChooseMove(board, 5, OpponentKingG8);
  EXPECT_LT(Tree.rootBest, -1000);

  board = StartFen(lost);
  Board seen = AfterMove(board, FindMove(board, EngineSide, "A1B1"));
  PushGamePosition(seen, 0);
  RunChooseMove(board, 5, OpponentKingG8);
  EXPECT_LT(Tree.rootBest, -1000);  // seen once: not yet

  board = StartFen(lost);
  PushGamePosition(seen, 0);
  PushGamePosition(seen, 0);
  RunChooseMove(board, 5, OpponentKingG8);
  EXPECT_EQ(Outcome().move, "A1B1");
  EXPECT_EQ(Tree.rootBest, 0);
}

// The development terms are path bonuses and act only in selective iterations, so the root
// scoring pass ranks the root moves alike with or without them.
TEST_F(SearchTest, DevelopmentTermsWaitForSelectiveIterations) {
  auto scoringPass = [](bool guidance) {
    Board board = StartFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    ClearSearchSignals();
    Limits = SearchLimits{};
    Limits.maxHorizon = 3;
    Limits.testMode = true;
    PrepareMoveSearch();
    EvalState state = SetUpSearchInputs(board);
    EXPECT_TRUE(Limits.openingGuidance);
    Limits.openingGuidance = guidance;
    ChooseMove(board, state, NullMove);
    std::vector<std::pair<std::string, int32_t>> table;
    for (int i = 1; i <= Tree.rootMoveCount; i++)
      table.emplace_back(CompactMoveText(Tree.rootMoveTable[i].move), Tree.rootMoveTable[i].score);
    return table;
  };
  EXPECT_EQ(scoringPass(true), scoringPass(false));
}

// ---------------------------------------------------------------------------------------------
// The deepening loop, watched after every iteration.

struct Iteration {
  int horizon;
  int32_t low, high;  // the aspiration bounds it ran with
  int32_t rootBest;
  int researchCount;  // after its result was judged
  bool failedLow;
  Move firstSearched;  // the root move searched first
  Move lineMove;       // the first move of its line
};

std::vector<Iteration> Iterations;
Move FirstSearched;
void (*AfterIteration)() = nullptr;  // lets a test steer the next iteration

void RecordFirstRootMove(int) {
  if (!Tree.rootScoringPass && Tree.rootMovesDone == 0) FirstSearched = Tree.bestLine.move[1];
}

void RecordIteration() {
  Iterations.push_back({Tree.horizon, Tree.aspirationLow, Tree.aspirationHigh, Tree.rootBest,
                        Tree.researchCount, Tree.failedLow, FirstSearched, Tree.driverLine.move[1]});
  if (AfterIteration != nullptr) AfterIteration();
}

class DeepeningTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    Iterations.clear();
    AfterIteration = nullptr;
    Hooks.iterationDone = RecordIteration;
    Hooks.postLine = RecordFirstRootMove;
  }
  void TearDown() override {
    AfterIteration = nullptr;
    SearchTest::TearDown();
  }
};

// The bounds of each iteration follow from the one before it.
void ExpectBoundsFollowTheLastResult(int32_t scoringPassBest) {
  int32_t previousBest = scoringPassBest;
  int previousCount = 0, previousHorizon = 3;
  bool previousFailedLow = false;
  for (const Iteration &it : Iterations) {
    SCOPED_TRACE(testing::Message() << "depth " << it.horizon);
    EXPECT_EQ(it.horizon, previousCount == 0 ? previousHorizon + 1 : previousHorizon);
    int32_t low = -Infinite, high = Infinite;
    if (it.horizon > 4 && previousCount != 4) {
      if (previousCount == 0)
        low = previousBest - 50, high = previousBest + 50;
      else if (previousFailedLow)
        low = previousBest - 100;
      else
        high = previousBest + 100;
    }
    EXPECT_EQ(it.low, low);
    EXPECT_EQ(it.high, high);
    previousBest = it.rootBest, previousCount = it.researchCount, previousHorizon = it.horizon;
    previousFailedLow = it.failedLow;
  }
}

TEST_F(DeepeningTest, MateFoundFailsHighAndIsSearchedAgainWithAWiderWindow) {
  Board board = StartFen("2rr2k1/5ppp/8/8/8/4Q3/4RPPP/4R1K1 w - - 0 1");
  RunChooseMove(board, 9);
  // Depth 4 runs with the full window; depth 5 finds the mate above its window and runs again.
  ASSERT_EQ(Iterations.size(), 3u);
  ExpectBoundsFollowTheLastResult(Tree.iterationScore[3]);
  EXPECT_EQ(Iterations[1].researchCount, 1);
  EXPECT_FALSE(Iterations[1].failedLow);
  EXPECT_EQ(Iterations[2].horizon, 5);
  EXPECT_EQ(Iterations[2].high, 31996 + 100);
  EXPECT_EQ(Iterations[2].researchCount, 0);
}

// Pretends the iteration just recorded failed its window.
void PretendFailure(int researchCount, bool failedLow) {
  Tree.researchCount = Iterations.back().researchCount = researchCount;
  Tree.failedLow = Iterations.back().failedLow = failedLow;
}

TEST_F(DeepeningTest, FailuresWidenOneSideUntilTheFifthAttemptTakesTheFullWindow) {
  Board board = StartFen(MiddleGame);
  AfterIteration = [] {
    if (Iterations.size() == 2) PretendFailure(1, true);   // depth 5 failed low,
    if (Iterations.size() == 3) PretendFailure(2, false);  // then high,
    if (Iterations.size() == 4) PretendFailure(4, false);  // and twice more
  };
  RunChooseMove(board, 6);
  ASSERT_GE(Iterations.size(), 6u);
  ExpectBoundsFollowTheLastResult(Tree.iterationScore[3]);
  EXPECT_EQ(Iterations[2].low, Iterations[1].rootBest - 100);
  EXPECT_EQ(Iterations[3].high, Iterations[2].rootBest + 100);
  EXPECT_EQ(Iterations[4].horizon, 5);
  EXPECT_EQ(Iterations[4].low, -Infinite);
  EXPECT_EQ(Iterations[4].high, Infinite);
  EXPECT_EQ(Iterations[4].researchCount, 0);  // accepted whatever it scored
  EXPECT_EQ(Iterations[5].horizon, 6);
}

Move Injected;

TEST_F(DeepeningTest, PreviousBestRootMoveIsSearchedFirst) {
  Board board = StartFen(MiddleGame);
  // After depth 4, the scoring pass's worst move becomes the line to follow.
  AfterIteration = [] {
    if (Iterations.size() != 1) return;
    Injected = Tree.rootMoveTable[1].move;
    Tree.driverLine = PrincipalLine{};
    Tree.driverLine.move[1] = Injected;
  };
  RunChooseMove(board, 7);
  ASSERT_GE(Iterations.size(), 4u);
  EXPECT_NE(Injected, Iterations[0].lineMove);
  EXPECT_EQ(Iterations[1].firstSearched, Injected);
  for (size_t k = 2; k < Iterations.size(); k++)
    EXPECT_EQ(Iterations[k].firstSearched, Iterations[k - 1].lineMove) << "iteration " << k;
}

// ---------------------------------------------------------------------------------------------
// A search stopped by a command keeps only finished work: up to the stop it posts what the full
// search posts, and its result is the last of those.

struct Post {
  int horizon;
  Move move;
  int32_t score;
  bool operator==(const Post &) const = default;
};

std::vector<Post> Posts;
int PollsBeforeStop = 0;

void RecordPost(int) { Posts.push_back({Tree.horizon, Tree.bestLine.move[1], Tree.rootBest}); }
bool InputAlwaysWaiting() { return true; }
void StopAfterSomePolls() {
  if (--PollsBeforeStop == 0) Signals.stopSearch = Signals.commandPending = true;
}

TEST_F(SearchTest, StoppedSearchKeepsTheLastFinishedRootMove) {
  Hooks.postLine = RecordPost;
  Hooks.inputWaiting = InputAlwaysWaiting;
  Hooks.pollInput = StopAfterSomePolls;
  Posts.clear();
  PollsBeforeStop = -1;  // counts the polls down without reaching 0
  SearchFen(MiddleGame, 7);
  const std::vector<Post> full = Posts;
  const uint64_t fullNodes = Tree.nodeCount;
  const int polls = -1 - PollsBeforeStop;
  ASSERT_GE(polls, 2);

  for (int stopAt : {1, polls}) {
    SCOPED_TRACE(testing::Message() << "stop at poll " << stopAt);
    Posts.clear();
    PollsBeforeStop = stopAt;
    SearchOutcome stopped = SearchFen(MiddleGame, 7);
    ASSERT_TRUE(Signals.stopSearch);
    EXPECT_LT(stopped.nodes, fullNodes);
    ASSERT_FALSE(Posts.empty());
    ASSERT_LE(Posts.size(), full.size());
    EXPECT_TRUE(std::equal(Posts.begin(), Posts.end(), full.begin()));
    EXPECT_EQ(Tree.bestLine.move[1], Posts.back().move);
    EXPECT_EQ(stopped.score, Posts.back().score);
  }
}

}  // namespace
