// Single nodes below a prepared root: the draws the node finds on its path and in the game
// history, and the hash move it takes from the table.
#include "board/EvalState.h"
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/Move.h"
#include "eval/Evaluate.h"
#include "eval/RootInputs.h"
#include "tests/search/SearchFixture.h"

namespace {

// The engine (White) is a rook up; both sides have a knight to shuffle.
const char *const KnightShuffle = "4k1n1/8/8/8/8/8/8/R3K1N1 w - - 0 1";

class SearchNodeTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    // Beyond a horizon of 1 a node stands pat (a rook up) unless a draw or the table decides.
    PrepareSingleNodes(1);

    Board board = EmptyBoard;
    EXPECT_TRUE(ReadFen(KnightShuffle, board, Game.engineIsWhite));
    Game.gameHistory.count = 0;
    // The nodes read the game's history and fifty-move count through the search's root input.
    root_.history = &Game.gameHistory;
    root_.fiftyMoveCount = 0;
    Tree.root = &root_;
    // The knights out and back again and again: position_[p] is the one at ply p.
    const Move engineOut = ParseMove("G1F3");
    const Move opponentOut = ParseMove("G8F6");
    const Move cycle[4] = {engineOut, opponentOut, Back(engineOut), Back(opponentOut)};
    position_[1] = board;
    for (int ply = 1; ply < MaxTestPly; ply++) {
      path_[ply] = cycle[(ply - 1) % 4];
      position_[ply + 1] = AfterMove(position_[ply], path_[ply]);
    }
  }

  static Move Back(Move move) { return Move{move.to, move.from, move.kind, 0}; }

  int32_t NodeValue(int ply, int reversibleBefore, bool nullMove = false) {
    Move move = nullMove ? NullMove : path_[ply - 1];
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
    Search(Tree, parent, ply - 1, ply - 1, 0, maximising ? 1000 : -1000, maximising ? -1000 : 1000, state,
           move, line, value, legal);
    EXPECT_TRUE(legal);
    return value;
  }

  void OnPath(int ply, const Board &board) {
    Tree.stack[ply].board = &board;
    Tree.stack[ply].key = ComputeKey(board);
  }

  static constexpr int MaxTestPly = 9;
  RootInput root_{};
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

  OnPath(1, position_[1]);  // a null move into ply 5 breaks the count
  position_[4] = position_[1];
  EXPECT_GT(NodeValue(5, 3, true), 200);
}

TEST_F(SearchNodeTest, FiftyMoveCountOfTheGameAndThePath) {
  root_.fiftyMoveCount = 98;  // 98 + 2 reversible plies on the path: exactly 100
  EXPECT_GT(NodeValue(3, 1), 200);
  root_.fiftyMoveCount = 99;
  EXPECT_EQ(NodeValue(3, 1), 0);
  root_.fiftyMoveCount = 300;  // an irreversible move since the root: the game's count is stale
  EXPECT_GT(NodeValue(3, 0), 200);
}

// Ply 2 needs two earlier positions, plies 3 to 6 one, with the marker of the side to move.
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
    for (PlyEntry &entry : Tree.stack) entry.key = 0;
    for (PlyEntry &entry : Tree.stack) entry.board = nullptr;
    Game.gameHistory.count = 0;
    for (int k = 0; k < c.entries; k++) PushGamePosition(position_[c.ply], c.marker);
    int32_t value = NodeValue(c.ply, c.ply - 2);
    EXPECT_EQ(value == 0, c.draw) << "ply " << c.ply << ", " << c.entries << " entries, marker "
                                  << int(c.marker) << ": " << value;
  }
}

// A key collision must not make a hash move from an empty square.
TEST_F(SearchNodeTest, HashMoveMustBeAMoveOfThisPosition) {
  const Board &node = position_[5];
  uint64_t key = ComputeKey(node);
  PrincipalLine line{};
  line.move[1] = Move{34, 44, QuietMove, 0};  // nothing stands on d2
  TTStore(Tree, node, key, 5, 1000, 0, line);
  EXPECT_LT(NodeValue(5, 0), 1000);

  TTClear();
  line.move[1] = ParseMove("A1A2");
  TTStore(Tree, node, key, 5, 1000, 0, line);
  EXPECT_EQ(NodeValue(5, 0), 1000);
  EXPECT_TRUE(Tree.quietSeen[21][31]);  // a quiet hash move near the root is marked as seen
}

}  // namespace
