#include "board/EvalState.h"
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/Move.h"
#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "board/Perft.h"
#include "tests/board/MovesFixture.h"

namespace {

using MoveTextTest = MovesTest;

TEST_F(MoveTextTest, SquaresInBothOrientationsAndMalformedText) {
  EXPECT_EQ(ParseSquare("E 2"), 35);
  for (const char *bad : {"E22", "E", "", "I2", "E9", "E0", "@2", "K2", "U1", "e-"})
    EXPECT_EQ(ParseSquare(bad), 0) << bad;
  for (const char *bad : {"e2", "e2x4", "z2e4"}) EXPECT_EQ(ParseMove(bad), NullMove) << bad;
  EXPECT_EQ(ParseMove("e2e4q"), (Move{35, 55, QuietMove, 0}));
  EXPECT_EQ(SquareName(-1), "??");
  EXPECT_EQ(SquareName(128), "??");
  Game.engineIsWhite = false;
  EXPECT_EQ(SquareName(98), "H1");
  EXPECT_EQ(ParseSquare("e8"), 25);
  EXPECT_EQ(CompactMoveText(Move{35, 55, QuietMove, 0}), "E7E5");
}

TEST_F(MoveTextTest, PlayMoveStringReplaysLegalMovesOrChangesNothing) {
  Game.currentBoard = StartBoard;
  ASSERT_TRUE(PlayMoveString("e2e4 e7e5", true));
  EXPECT_EQ(Game.currentBoard[55], EnginePawn);
  EXPECT_EQ(Game.currentBoard[65], OpponentPawn);
  // e3 is empty; i9 is no square; a pawn backwards onto its own queen; a king into check; White
  // moving twice; a bishop's move through its own pawn.
  for (const char *bad : {"g1f3e3e4", "g1f3i9i8", "d2d4d7d8", "f2f3e7e5e1f2d8h4f2g3", "e2e4e4e5", "f1c4"}) {
    Game.currentBoard = StartBoard;
    EXPECT_FALSE(PlayMoveString(bad, true)) << bad;
    EXPECT_TRUE(SamePosition(Game.currentBoard, StartBoard)) << bad;
  }
  Game.currentBoard = StartBoard;  // castling, en passant and a promotion are told by the board
  ASSERT_TRUE(PlayMoveString("e2e4 d7d5 e4e5 f7f5 e5f6 b8c6 g1f3 c8g4 f1e2 d8d7 e1g1", true));
  EXPECT_EQ(Game.currentBoard[27], EngineKing);
  EXPECT_EQ(Game.currentBoard[26], EngineRook);
  EXPECT_EQ(Game.currentBoard[66], Empty);
  Game.currentBoard = FenBoard("8/4P3/7k/8/8/8/1p6/7K w - - 0 1");
  ASSERT_TRUE(PlayMoveString("e7e8b2b1", true));
  EXPECT_EQ(Game.currentBoard[95], EngineQueen);
  EXPECT_EQ(Game.currentBoard[22], OpponentQueen);
  Game.currentBoard = EmptyBoard;  // no opponent king
  Game.currentBoard[85] = EnginePawn;
  Game.currentBoard[Game.currentBoard[EngineKingSquare] = 21] = EngineKing;
  EXPECT_FALSE(PlayMoveString("e7e8", true));
}

// Standard algebraic notation: every legal move's text reads back as that move, for both colours;
// and the texts of a test suite as they are written, with check marks, castling with zeros,
// promotions with and without "=", ambiguity and illegality.
TEST_F(MoveTextTest, SanTextReadsBackAsTheSameMoveForEveryLegalMove) {
  const char *const fens[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/Pp2P3/2N2Q1p/1PPBBPPP/R3K2R b KQkq a3 0 1",
      "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
      "1k6/8/8/8/8/2N1N3/8/2N1N1K1 w - - 0 1",  // knights told apart by file or by rank
  };
  for (const char *fen : fens) {
    Board board = FenBoard(fen);
    int moves = 0;
    ForEachLegalChild(board, EvalState{}, true, [&](Move move, const Board &, const EvalState &) {
      std::string text = SanMoveText(board, move);
      EXPECT_EQ(ReadSanMove(board, text), move) << fen << " " << text;
      moves++;
    });
    EXPECT_GT(moves, 10) << fen;
  }
}

TEST_F(MoveTextTest, SanAsTestSuitesWriteIt) {
  Board board = FenBoard("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
  struct Case {
    const char *san, *coordinates;
  };
  const Case cases[] = {{"O-O", "E1G1"},   {"0-0-0", "E1C1"}, {"Qxf6+", "F3F6"}, {"Nxf7!?", "E5F7"},
                        {"dxe6", "D5E6"},  {"Bxa6", "E2A6"},  {"Rb1", "A1B1"},   {"Ncb5", "C3B5"},
                        {"gxh3#", "G2H3"}, {"a4", "A2A4"}};
  for (const Case &c : cases) EXPECT_EQ(CompactMoveText(ReadSanMove(board, c.san)), c.coordinates) << c.san;
  for (const char *bad : {"Ng3", "Qxf7", "e5", "Kd2", "O-O-O-O", "Zf3", "", "Rb1b"})
    EXPECT_EQ(ReadSanMove(board, bad), NullMove) << bad;
  EXPECT_EQ(SanMoveText(board, ReadSanMove(board, "Ncb5")), "Nb5");  // nothing to tell apart

  board = FenBoard("1n6/P1k5/8/8/8/8/1p4N1/4K2N b - - 0 1");  // Black promotes on b1, White has two knights
  EXPECT_EQ(CompactMoveText(ReadSanMove(board, "b1=N")), "B2B1P");
  EXPECT_EQ(CompactMoveText(ReadSanMove(board, "b1Q")), "B2B1D");
  EXPECT_EQ(CompactMoveText(ReadSanMove(board, "b1")), "B2B1D");
  board = FenBoard("1n6/P1k5/8/6N1/8/8/1p6/4K1N1 w - - 0 1");
  for (const char *ambiguous : {"Nf3", "Ngf3"})
    EXPECT_EQ(ReadSanMove(board, ambiguous), NullMove) << ambiguous;
  EXPECT_EQ(CompactMoveText(ReadSanMove(board, "N1f3")), "G1F3");
  EXPECT_EQ(SanMoveText(board, ReadSanMove(board, "N5f3")), "N5f3");
  EXPECT_EQ(CompactMoveText(ReadSanMove(board, "axb8=R")), "A7B8T");
}

}  // namespace
