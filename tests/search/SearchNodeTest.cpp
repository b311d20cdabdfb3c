// Single nodes below a prepared root: the draws the node finds on its path and in the game
// history, and the hash move it takes from the table.
#include "eval/RootInputs.h"
#include "tests/search/SearchFixture.h"

namespace {

// The engine (White) is a rook up; both sides have a knight to shuffle.
const char *const KnightShuffle = "4k1n1/8/8/8/8/8/8/R3K1N1 w - - 0 1";

class SearchNodeTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    TTClear();
    // Every node tested lies beyond a horizon of 1: it stands pat and has no capture, so it
    // returns its own evaluation (a rook up: far from 0) unless a draw or the table decides
    // first. Keys, draws and the table are used down to depth 60.
    Tree.horizon = 1;
    Tree.ttDepthLimit = 60;
    Tree.horizonLess2 = 2;
    Tree.extensionLimit = 64;
    Tree.lateDepth = 3;
    Tree.lazyEvalDepth = Tree.context.lazyEvalDepth = 1000;
    Tree.aspirationLow = -Infinite;
    Tree.aspirationHigh = Infinite;

    Board board = EmptyBoard;
    EXPECT_TRUE(ReadFen(KnightShuffle, board, Game.engineIsWhite));
    Game.gameHistory.count = 0;
    Game.fiftyMoveCount = 0;
    // The path Ng1-f3 Ng8-f6 Nf3-g1 Nf6-g8 and round again: position[p] is the one at ply p.
    const Move engineOut = FindMove(board, EngineSide, "G1F3");
    const Move opponentOut = FindMove(board, OpponentSide, "G8F6");
    const Move cycle[4] = {engineOut, opponentOut, Back(engineOut), Back(opponentOut)};
    position_[1] = board;
    for (int ply = 1; ply < MaxTestPly; ply++) {
      path_[ply] = cycle[(ply - 1) % 4];
      position_[ply + 1] = AfterMove(position_[ply], path_[ply]);
    }
  }

  static Move Back(Move move) { return Move{move.to, move.from, move.kind, 0}; }

  // The value of the node at ply reached by move from the position of ply - 1 (by default along
  // the path), when the path before it held reversibleBefore reversible moves in a row.
  int32_t NodeValue(int ply, int reversibleBefore) {
    return NodeValueAfter(path_[ply - 1], ply, reversibleBefore);
  }
  int32_t NodeValueAfter(Move move, int ply, int reversibleBefore) {
    Board parent = position_[ply - 1];
    EvalState state = ScanEvalState(parent);
    SetGameFlowFlags(Tree.context, parent);
    SetRootValues(Tree.context, parent, state);
    EvaluateRoot(parent, state, Tree.context, NullMove);
    state.positionKey = ComputeKey(parent);
    state.reversibleCount = reversibleBefore;
    bool maximising = ply % 2 == 1;
    PrincipalLine line{};
    int32_t value = 0;
    bool legal = true;
    Search(parent, ply - 1, ply - 1, 0, maximising ? 1000 : -1000, maximising ? -1000 : 1000, state, move,
           line, value, legal);
    EXPECT_TRUE(legal);
    return value;
  }

  // No position on the search path before the node tested.
  void ForgetPath() {
    for (uint64_t &key : Tree.plyKey) key = 0;
    for (const Board *&board : Tree.plyBoard) board = nullptr;
  }

  // The search path remembers the position at ply.
  void OnPath(int ply, const Board &board) {
    Tree.plyBoard[ply] = &board;
    Tree.plyKey[ply] = ComputeKey(board);
  }

  static constexpr int MaxTestPly = 9;
  Board position_[MaxTestPly + 1]{};
  Move path_[MaxTestPly]{};
};

TEST_F(SearchNodeTest, PositionOfFourPliesBackScoresZero) {
  ASSERT_TRUE(SamePosition(position_[5], position_[1]));
  OnPath(1, position_[1]);
  EXPECT_GT(NodeValue(5, 2), 200);  // a capture or pawn move three plies back: not looked for
  EXPECT_EQ(NodeValue(5, 3), 0);

  OnPath(2, position_[2]);  // and at an even ply
  EXPECT_EQ(NodeValue(6, 4), 0);

  Board castling = position_[1];  // the same squares, but castling was still allowed then
  castling[EngineRights] = 2;
  OnPath(1, castling);
  EXPECT_GT(NodeValue(5, 3), 200);
}

TEST_F(SearchNodeTest, NullMoveBreaksTheRepetitionCount) {
  // Ply 5 reached by a null move from a position with the squares of ply 1.
  OnPath(1, position_[1]);
  position_[4] = position_[1];
  EXPECT_GT(NodeValueAfter(NullMove, 5, 3), 200);
}

TEST_F(SearchNodeTest, FiftyMoveCountOfTheGameAndThePath) {
  Game.fiftyMoveCount = 98;  // 98 + 2 reversible plies on the path: exactly 100
  EXPECT_GT(NodeValue(3, 1), 200);
  Game.fiftyMoveCount = 99;
  EXPECT_EQ(NodeValue(3, 1), 0);
  Game.fiftyMoveCount = 300;  // an irreversible move since the root: the game's count is stale
  EXPECT_GT(NodeValue(3, 0), 200);
}

// Ply 2 needs two earlier positions, plies 3 to 6 one, with the side marker of the side to move:
// 0 for the opponent (the game's positions after the engine's moves), 1 for the engine.
TEST_F(SearchNodeTest, RepetitionOfTheGameHistory) {
  struct Case {
    int ply;
    int entries;
    uint8_t marker;
    bool draw;
  };
  const Case cases[] = {{2, 1, 0, false}, {2, 2, 0, true}, {2, 2, 1, false}, {3, 1, 1, true},
                        {3, 1, 0, false}, {4, 1, 0, true}, {6, 1, 0, true},  {7, 1, 1, false}};
  for (const Case &c : cases) {
    ForgetPath();
    Game.gameHistory.count = 0;
    for (int k = 0; k < c.entries; k++) PushGamePosition(position_[c.ply], c.marker);
    int32_t value = NodeValue(c.ply, c.ply - 2);
    EXPECT_EQ(value == 0, c.draw) << "ply " << c.ply << ", " << c.entries << " entries, marker "
                                  << int(c.marker) << ": " << value;
  }
  Game.gameHistory.count = 0;
  PushGamePosition(position_[3], 1);
  EXPECT_GT(NodeValue(3, 0), 200);  // not every move since the root was reversible
}

// A table entry proving a cut-off is taken only when its move is one this position allows: a key
// collision must not make a move from an empty square.
TEST_F(SearchNodeTest, HashMoveMustBeAMoveOfThisPosition) {
  const Board &node = position_[5];
  uint64_t key = ComputeKey(node);
  PrincipalLine line{};
  line.move[1] = Move{34, 44, QuietMove, 0};  // nothing stands on d2
  TTStore(node, key, 5, 1000, 0, line);
  EXPECT_GT(NodeValue(5, 0), 200);
  EXPECT_LT(NodeValue(5, 0), 1000);

  TTClear();
  line.move[1] = FindMove(node, EngineSide, "A1A2");
  TTStore(node, key, 5, 1000, 0, line);
  EXPECT_EQ(NodeValue(5, 0), 1000);
  EXPECT_TRUE(Tree.quietSeen[21][31]);  // a quiet hash move near the root is marked as seen
}

}  // namespace
