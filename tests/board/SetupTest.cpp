#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "board/Geometry.h"
#include "board/MoveText.h"
#include "board/Setup.h"
#include "tests/board/MovesFixture.h"

namespace {

using SetupTest = MovesTest;

TEST_F(SetupTest, RefusedLinesChangeNothing) {
  for (const char *fen :
       {"4k3/8/8/8/8/8/8/4K3 bm w - - 0 1",  // the side marker is cut off
        "4k3/8/8/8/8/8/8/4K3 - -", "8/8/8/8/8/8/8/4K3 w - - 0 1", "4k3/8/8/8/8/8/8/8 b - - 0 1",
        "4k3/8/8/8/8/8/8/3KK3 w - - 0 1", "4k3/8/8/8/8/8/PPPPPPPP/P3K3 w - - 0 1",
        "3Pk3/8/8/8/8/8/8/4K3 w - - 0 1", "4k3/8/8/8/8/8/8/p3K3 b - - 0 1",   // pawns on the last ranks
        "NNNNkNNN/NNNNNNNN/8/8/8/8/8/4K3 b - - 0 1",                          // 15 knights
        "4k3/8/8/8/8/8/PPPPPPPP/RRRNK3 w - - 0 1",                            // 8 pawns and 3 rooks
        "4k3/8/8/8/8/8/8/4R1K1 w - - 0 1", "8/8/8/8/8/8/8/Kk6 b - - 0 1"}) {  // the side not to move in check
    Board board = StartBoard;
    bool white = false;
    EXPECT_FALSE(ReadFen(fen, board, white)) << fen;
    EXPECT_EQ(std::memcmp(board.cell, StartBoard.cell, BoardSize), 0) << fen;
    EXPECT_FALSE(white);
  }
  // As many pieces as promotions allow, the side to move in check: accepted.
  for (const char *fen : {"QQQQQQQQ/QRRBBNN1/8/8/8/8/8/k1K5 b - - 0 1",
                          "4k3/8/8/8/8/8/PPPPPPP1/RRRNK3 w - - 0 1", "4k3/8/8/8/8/8/8/4R1K1 b - - 0 1"}) {
    Board board;
    bool white;
    EXPECT_TRUE(ReadFen(fen, board, white)) << fen;
  }
}

TEST_F(SetupTest, MalformedPlacementStaysOnTheBoard) {
  Board board;
  bool white;
  // Nine ranks and overlong ranks: the excess is ignored.
  ASSERT_TRUE(ReadFen("4k3/8/8/8/8/8/8/4K3/QQQQQQQQ w - - 0 1", board, white));
  EXPECT_EQ(ComputeKey(board), ComputeKey(FenBoard("4k3/8/8/8/8/8/8/4K3 w - - 0 1")));
  ASSERT_TRUE(ReadFen("4k3NNNN/8/8/8/8/8/8/7K1rrrrrrrr b - - 0 1", board, white));
  for (int index = 0; index < 120; index++) {
    if (IsPlayingSquare(index)) continue;
    EXPECT_EQ(board[index], EmptyBoard[index]) << index;
  }
  EXPECT_EQ(board[98], OpponentKing);  // h1 seen from Black
  EXPECT_EQ(board[25], EngineKing);
}

class PositionFileTest : public MovesTest {
 protected:
  std::string path = ::testing::TempDir() + "krelin_position_file_test.txt";
  void TearDown() override { std::remove(path.c_str()); }
  bool ReadLines(const std::string &text, Board &board, bool &white) {
    std::ofstream(path) << text;
    return ReadPositionFile(path, board, white);
  }
};

TEST_F(PositionFileTest, KeysAndUnusableLines) {
  Board board;
  bool white = false;
  std::string text =
      "/1=A1\n\\1=A1\nK1\nT1=a1\nt 1 = h1\nK1=E1\nK2=E8\nT2=H8\nB2=D5\nB1=E5\n"
      "R1=3\nR2=1\nEP=D5\nX1=A3\nD1=I9\nL2=C8\nL2=F8\nP2=F8\n";
  ASSERT_TRUE(ReadLines(text, board, white));
  EXPECT_TRUE(white);
  EXPECT_EQ(board[21], EngineRook);
  EXPECT_EQ(board[28], EngineRook);
  EXPECT_EQ(board[98], OpponentRook);
  EXPECT_EQ(board[93], OpponentBishop);
  EXPECT_EQ(board[96], OpponentKnight);  // a later line replaces an earlier one
  EXPECT_EQ(board[EngineRights], 3);
  EXPECT_EQ(board[OpponentRights], 1);
  EXPECT_EQ(board[EnPassantSquare], 64);
  int pieces = 0;
  for (int square = 21; square <= 98; square++) pieces += board[square] != Empty && IsPlayingSquare(square);
  EXPECT_EQ(pieces, 9);
}

}  // namespace
