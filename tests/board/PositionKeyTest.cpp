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

}  // namespace
