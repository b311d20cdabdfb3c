#include "board/Squares.h"

#include "board/Geometry.h"
#include "eval/Score.h"
#include "tests/board/MovesFixture.h"

namespace {

using SquaresTest = MovesTest;

// The rules name squares as the engine sees the board: its back row is row 1 whichever colour it
// plays, and files keep their letters. The same pieces read from a set-up as White and as Black.
TEST_F(SquaresTest, NamesAreTheEnginesViewForEitherColour) {
  Board board = FenBoard("4k3/1b6/8/7p/8/2N5/8/5RK1 w - - 0 1");
  EXPECT_EQ(board[EngineG1], EngineKing);
  EXPECT_EQ(board[EngineF1], EngineRook);
  EXPECT_EQ(board[EngineC3], EngineKnight);
  EXPECT_EQ(board[EngineE8], OpponentKing);
  EXPECT_EQ(board[EngineB7], OpponentBishop);
  EXPECT_EQ(board[EngineH5], OpponentPawn);

  board = FenBoard("4k3/1b6/8/7p/8/2N5/8/5RK1 b - - 0 1");
  EXPECT_EQ(board[EngineE1], EngineKing);
  EXPECT_EQ(board[EngineB2], EngineBishop);
  EXPECT_EQ(board[EngineH4], EnginePawn);
  EXPECT_EQ(board[EngineG8], OpponentKing);
  EXPECT_EQ(board[EngineF8], OpponentRook);
  EXPECT_EQ(board[EngineC6], OpponentKnight);
}

// The names, the rows and files the start-up tables compute, and the square tables drawn from the
// engine's row 8 down all agree: a table drawn a row off would score every rule on the wrong row.
TEST_F(SquaresTest, NamesRowsAndDrawnTablesAgree) {
  for (int row = 1; row <= LastRow; row++) {
    for (int column = FileA; column <= FileH; column++) {
      int square = SquareAt(column, row);
      EXPECT_TRUE(IsPlayingSquare(square)) << square;
      EXPECT_EQ(FileOf[square], column) << square;
      EXPECT_EQ(RankOf[square], row) << square;
    }
  }
  EXPECT_EQ(SquareAt(FileE, 4), EngineE4);
  EXPECT_EQ(EngineA2 + Up, EngineA3);
  EXPECT_EQ(EngineD4 + UpLeft, EngineC5);
  EXPECT_EQ(EngineD4 + UpRight, EngineE5);

  EXPECT_EQ(CornerOf[EngineB2], EngineA1);
  EXPECT_EQ(CornerOf[EngineG1], EngineH1);
  EXPECT_EQ(CornerOf[EngineA7], EngineA8);
  EXPECT_EQ(CornerOf[EngineG8], EngineH8);
  EXPECT_EQ(CornerOf[EngineC3], 0);
  EXPECT_EQ(EdgeTable[EngineA8], 4);
  EXPECT_EQ(EdgeTable[EngineH1], 4);
  EXPECT_EQ(EdgeTable[EngineD1], 2);
  EXPECT_EQ(EdgeTable[EngineH5], 2);
  EXPECT_EQ(EdgeTable[EngineD4], 0);
  for (int border : {SquareAt(FileA, 0), SquareAt(FileH, LastRow + 1), EngineA4 - 1, EngineH4 + 1})
    EXPECT_EQ(EdgeTable[border], 0) << border;
}

}  // namespace
