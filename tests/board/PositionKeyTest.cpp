#include "board/MakeMove.h"
#include "board/PositionKey.h"
#include "tests/board/MovesFixture.h"

namespace {

using PositionKeyTest = MovesTest;

TEST_F(PositionKeyTest, NumbersAreDrawnInAFixedOrder) {
  // The generator's first and last states from seed 1001, worked out by hand.
  EXPECT_EQ(ZobristTable[1][0], 0x5873C520748E46F6ULL);
  EXPECT_EQ(ZobristTable[1][1], 0x761DC5A56764833FULL);
  EXPECT_EQ(ZobristTable[12][63], 0x416ADE8709D850E9ULL);
  EXPECT_EQ(ZobristNumber(21, EngineKing), ZobristTable[6][0]);
  EXPECT_EQ(ZobristNumber(98, OpponentPawn), ZobristTable[7][63]);
  EXPECT_EQ(ZobristNumber(55, Empty), 0u);
}

TEST_F(PositionKeyTest, KeyCoversThePlacementOnly) {
  Board board = StartBoard;
  uint64_t start = ComputeKey(board);
  board[EngineRights] = 0;
  board[EnPassantSquare] = 55;
  EXPECT_EQ(ComputeKey(board), start);
  // The same placement gets the same key whichever colour the engine plays.
  EXPECT_EQ(ComputeKey(FenBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1")), start);
  // A knight out and back restores the key; the null move leaves it alone.
  Move out{27, 46, QuietMove, 0}, back{46, 27, QuietMove, 0};
  uint64_t key = UpdateKey(start, out, EngineKnight, 0);
  EXPECT_NE(key, start);
  EXPECT_EQ(UpdateKey(key, back, EngineKnight, 0), start);
  EXPECT_EQ(UpdateKey(start, NullMove, 0, 0), start);
}

}  // namespace
