#include "search/MoveOrder.h"
#include "tests/board/MovesFixture.h"
#include "tests/search/SearchFixture.h"

namespace {

using MoveOrderTest = SearchTest;

Move Quiet(int from, int to) { return Move{Square(from), Square(to), QuietMove, 0}; }

TEST_F(MoveOrderTest, KillerMustStillBePlayableHere) {
  Board board = FenBoard("4k3/8/8/8/8/1n3n2/PP6/R3K1N1 w - - 0 1");
  struct Case {
    Move move;
    uint8_t piece;
    bool playable;
  };
  const Case cases[] = {{Quiet(27, 37), EngineKnight, true},
                        {Quiet(27, 46), EngineKnight, false},  // occupied
                        {Quiet(22, 43), EngineKnight, false},
                        {Quiet(27, 37), EngineBishop, false},  // piece gone
                        {Quiet(21, 61), EngineRook, false},
                        {Quiet(21, 24), EngineRook, true},  // path
                        {Quiet(31, 41), EnginePawn, true},
                        {Quiet(32, 52), EnginePawn, false},
                        {Move{27, 46, CaptureMove, 0}, EngineKnight, false}};
  for (const Case &c : cases) {
    Tree.killerTable[4][1] = {c.move, c.piece};
    TriedMoves tried{};
    EXPECT_EQ(PickKiller(board, 4, 1, tried), c.playable ? c.move : NullMove) << MoveText(c.move);
  }
  Tree.killerTable[4][1] = {Quiet(21, 24), EngineRook};
  TriedMoves tried{};
  EXPECT_EQ(PickKiller(board, 4, 1, tried), Quiet(21, 24));
  EXPECT_TRUE(PickKiller(board, 4, 1, tried).IsNull());  // not twice in one node
}

}  // namespace
