#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "tests/board/MovesFixture.h"

namespace {

using MoveTextTest = MovesTest;

TEST_F(MoveTextTest, SquaresInBothOrientationsAndMalformedText) {
  EXPECT_EQ(SquareName(21), "A1");
  EXPECT_EQ(ParseSquare("E 2"), 35);
  for (const char *bad : {"E22", "E", "", "I2", "E9", "E0", "@2", "K2", "U1", "e-"})
    EXPECT_EQ(ParseSquare(bad), 0) << bad;
  for (const char *bad : {"e2", "e2x4", "z2e4"}) EXPECT_EQ(ParseMove(bad), NullMove) << bad;
  EXPECT_EQ(ParseMove("e2e4q"), (Move{35, 55, QuietMove, 0}));
  EXPECT_EQ(SquareName(20), "RR");
  EXPECT_EQ(SquareName(-1), "??");
  EXPECT_EQ(SquareName(128), "??");
  Game.engineIsWhite = false;
  EXPECT_EQ(SquareName(98), "H1");
  EXPECT_EQ(ParseSquare("e8"), 25);
  EXPECT_EQ(CompactMoveText(Move{35, 55, QuietMove, 0}), "E7E5");
}

TEST_F(MoveTextTest, TypedPromotionWithTheEnginePlayingBlack) {
  Board board = FenBoard("7k/P7/8/8/8/8/8/K7 b - - 0 1");  // a7 is index 31 from Black's side
  auto typed = [&board](const char *text) {
    Move move = ParseMove(text);
    FindOpponentMove(board, move);
    if (move.promotion != 0) move.promotion = TypedPromotionPiece(text);
    return move;
  };
  EXPECT_EQ(typed("a7a8t"), (Move{31, 21, QuietMove, OpponentRook}));
  EXPECT_EQ(typed("a7a8l").promotion, OpponentBishop);
  EXPECT_EQ(typed("a7a8p").promotion, OpponentKnight);
  EXPECT_EQ(typed("a7a8x").promotion, OpponentQueen);
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
  Game.currentBoard =
      PiecesBoard({{85, EnginePawn}, {32, OpponentPawn}, {28, EngineKing}, {78, OpponentKing}});
  ASSERT_TRUE(PlayMoveString("e7e8b2b1", true));
  EXPECT_EQ(Game.currentBoard[95], EngineQueen);
  EXPECT_EQ(Game.currentBoard[22], OpponentQueen);
  Game.currentBoard = PiecesBoard({{85, EnginePawn}, {21, EngineKing}});  // no opponent king
  EXPECT_FALSE(PlayMoveString("e7e8", true));
}

}  // namespace
