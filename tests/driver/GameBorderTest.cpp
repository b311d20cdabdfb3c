// The border between the game and the search: the game flow counts each ply into the game once,
// the search reads the game only through its root input, and a search started by the game flow
// searches exactly what a search from a root input alone does.
#include <string>
#include <vector>

#include "board/GameRecord.h"
#include "board/Setup.h"
#include "driver/GameFlow.h"
#include "tests/search/SearchFixture.h"

namespace {

using GameBorderTest = SearchTest;

struct Searched {
  std::string move;
  int32_t score;
  uint64_t nodes;
};

// The engine's answer to a position of its own as the game flow finds it (SearchAnswer, the path of
// the UCI front end) and as a test or the bench finds it from a root input (SearchFen).
Searched ThroughTheGameFlow(const char *fen, int depth) {
  Board board = EmptyBoard;
  bool engineIsWhite = true;
  EXPECT_TRUE(ReadFen(fen, board, engineIsWhite)) << fen;
  StartGameFrom(board, engineIsWhite);
  Signals.timedMode = false;
  SearchResult result{};
  EXPECT_TRUE(SearchAnswer("", depth, {}, result)) << fen;
  return {result.move.IsNull() ? "" : CompactMoveText(result.move), result.score, result.nodes};
}

TEST_F(GameBorderTest, TheGameFlowSearchesWhatARootInputSearches) {
  const char *const positions[] = {
      "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
      "8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1",
      "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",  // a mate in one on the back row
  };
  for (const char *fen : positions) {
    Searched flow = ThroughTheGameFlow(fen, 6);
    SearchOutcome alone = SearchFen(fen, 6);
    EXPECT_EQ(flow.move, alone.move) << fen;
    EXPECT_EQ(flow.score, alone.score) << fen;
    EXPECT_EQ(flow.nodes, SearchNodeTotal()) << fen;
  }
  EXPECT_EQ(ThroughTheGameFlow(positions[2], 6).move, "D1D8");
}

// The game's history and fifty-move count after searched pairs are those that replaying the
// record rebuilds: the opponent's ply entered once, with the search's marker, before the search,
// and the engine's after it.
TEST_F(GameBorderTest, SearchedPairsLeaveTheGameAsAReplayBuildsIt) {
  Game.engineIsWhite = false;
  NewGame();
  std::string opponent = "G1F3";
  for (int pair = 0; pair < 8; pair++) {
    SearchResult result{};
    ASSERT_TRUE(SearchAnswer(opponent, 4, {}, result)) << opponent;
    ASSERT_FALSE(result.move.IsNull());
    ASSERT_FALSE(result.ponderMove.IsNull());
    opponent = CompactMoveText(result.ponderMove);  // the reply the line predicts: legal
  }
  const GameHistoryRecord played = Game.gameHistory;
  const int32_t playedFifty = Game.fiftyMoveCount;
  const Board playedBoard = Game.currentBoard;
  ASSERT_GE(played.count, 1);

  ReplayGame(Flow.gameRecordCount);
  EXPECT_EQ(Game.fiftyMoveCount, playedFifty);
  EXPECT_TRUE(SamePosition(Game.currentBoard, playedBoard));
  ASSERT_EQ(Game.gameHistory.count, played.count);
  for (int i = 1; i <= played.count; i++) {
    const HistoryEntry &rebuilt = Game.gameHistory.entry[i];
    const HistoryEntry &entry = played.entry[i];
    EXPECT_EQ(rebuilt.sideMarker, entry.sideMarker) << "entry " << i;
    EXPECT_EQ(rebuilt.keyLow, entry.keyLow) << "entry " << i;
    EXPECT_EQ(rebuilt.keyHigh, entry.keyHigh) << "entry " << i;
    EXPECT_TRUE(SamePosition(rebuilt.board, entry.board)) << "entry " << i;
  }
}

// An opponent's move that its generator makes but that leaves its king attacked is refused, and
// the game stays as it was: no position pushed, no ply counted, no pair recorded.
TEST_F(GameBorderTest, AnIllegalOpponentMoveLeavesTheGameAlone) {
  Board board = EmptyBoard;
  bool engineIsWhite = true;
  ASSERT_TRUE(ReadFen("3k4/8/8/8/8/8/8/R3K3 w - - 0 1", board, engineIsWhite));
  StartGameFrom(board, engineIsWhite);
  ASSERT_TRUE(PlayGamePair("", "A1C1"));
  ASSERT_TRUE(PlayGamePair("D8E8", "C1D1"));  // the rook holds the d-file
  const GameHistoryRecord before = Game.gameHistory;
  const Board boardBefore = Game.currentBoard;
  const int32_t pairsBefore = Flow.gameRecordCount;
  ASSERT_EQ(Game.fiftyMoveCount, 3);
  ASSERT_EQ(before.count, 4);
  // The king's step into the rook's file is generated: only the attack test refuses it.
  ASSERT_FALSE(FindTypedOpponentMove(Game.currentBoard, "E8D7", Game.engineIsWhite).IsNull());

  SearchResult result{};
  EXPECT_FALSE(SearchAnswer("E8D7", 4, {}, result));
  EXPECT_FALSE(result.legal);
  EXPECT_EQ(Game.fiftyMoveCount, 3);
  EXPECT_EQ(Flow.gameRecordCount, pairsBefore);
  EXPECT_TRUE(SamePosition(Game.currentBoard, boardBefore));
  ASSERT_EQ(Game.gameHistory.count, before.count);
  for (int i = 1; i <= before.count; i++) {
    EXPECT_EQ(Game.gameHistory.entry[i].keyLow, before.entry[i].keyLow) << "entry " << i;
    EXPECT_EQ(Game.gameHistory.entry[i].sideMarker, before.entry[i].sideMarker) << "entry " << i;
  }

  // The same game then answers a legal move as usual, counting it.
  ASSERT_TRUE(SearchAnswer("E8F7", 4, {}, result));
  EXPECT_TRUE(result.legal);
  EXPECT_EQ(Flow.gameRecordCount, pairsBefore + 1);
}

}  // namespace
