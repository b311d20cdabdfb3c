// A new game leaves nothing of the last one behind: the same search after a new game spends the same
// nodes on the same move, however much the searches in between filled the tables, and a game played
// again after the protocol's "new" gets the same replies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/Search.h"
#include "support/EngineFixture.h"
#include "tests/search/SearchFixture.h"

namespace {

using RepeatSearchTest = SearchTest;

struct Repeatable {
  SearchOutcome outcome;
  uint64_t nodes;
};

Repeatable SearchAgain(const char *fen, int depth) {
  SearchOutcome outcome = SearchFen(fen, depth);  // every search starts a new game on its position
  return {outcome, Tree.nodeCount};
}

TEST_F(RepeatSearchTest, SameNodesAndMoveAfterANewGame) {
  const char *const first = "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";
  const char *const other = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
  Repeatable before = SearchAgain(first, 6);
  ASSERT_GT(before.nodes, 1000u);
  SearchAgain(other, 6);  // killers, history and both tables full of another position
  Repeatable after = SearchAgain(first, 6);
  EXPECT_EQ(after.nodes, before.nodes);
  EXPECT_EQ(after.outcome.move, before.outcome.move);
  EXPECT_EQ(after.outcome.score, before.outcome.score);
}

using RepeatGameTest = EngineFixture;

TEST_F(RepeatGameTest, TheSameGameAfterNewGetsTheSameReplies) {
  const std::string game =
      "level 0 0 0\n" + UserMoves({"e2e4", "g1f3", "f1c4", "b1c3", "d2d3", "c1g5", "d1d2"});
  std::vector<std::string> once = Play(GameStart + game + "quit\n");
  std::vector<std::string> twice = Play(GameStart + game + "new\neasy\n" + game + "quit\n");
  ASSERT_EQ(twice.size(), 2 * once.size());
  EXPECT_EQ(std::vector<std::string>(twice.begin(), twice.begin() + once.size()), once);
  EXPECT_EQ(std::vector<std::string>(twice.begin() + once.size(), twice.end()), once);
}

}  // namespace
