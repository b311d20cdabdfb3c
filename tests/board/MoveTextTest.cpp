#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "tests/board/MovesFixture.h"

namespace {

using MoveTextTest = MovesTest;

TEST_F(MoveTextTest, SquareNamesInBothOrientations) {
  EXPECT_EQ(SquareName(21), "A1");
  EXPECT_EQ(SquareName(98), "H8");
  EXPECT_EQ(ParseSquare("e2"), 35);
  EXPECT_EQ(ParseSquare("E 2"), 35);
  Game.engineIsWhite = false;
  EXPECT_EQ(SquareName(21), "A8");
  EXPECT_EQ(SquareName(98), "H1");
  EXPECT_EQ(ParseSquare("E1"), 95);
  EXPECT_EQ(ParseSquare("e8"), 25);
  EXPECT_EQ(SquareName(20), "RR");
  EXPECT_EQ(SquareName(-1), "??");
  EXPECT_EQ(SquareName(128), "??");
}

TEST_F(MoveTextTest, OnlyFilesAToHAndRanks1To8Parse) {
  for (const char *bad : {"E22", "E", "", "I2", "E9", "E0", "@2", "K2", "U1", "e-"})
    EXPECT_EQ(ParseSquare(bad), 0) << bad;
  EXPECT_EQ(ParseMove("e2e4q"), ParseMove("E2E4"));
  EXPECT_EQ(ParseMove("e2e4"), (Move{35, 55, QuietMove, 0}));
  EXPECT_EQ(ParseMove("e2"), NullMove);
  EXPECT_EQ(ParseMove("e2x4"), NullMove);
  EXPECT_EQ(ParseMove("z2e4"), NullMove);
}

TEST_F(MoveTextTest, MoveTexts) {
  EXPECT_EQ(MoveText(NullMove), "     ");
  EXPECT_EQ(MoveText(EndMove), "*STOP*");
  EXPECT_EQ(MoveText(Move{35, 55, PawnMove, 0}), "E2?E4");
  EXPECT_EQ(MoveText(Move{25, 27, CastlingMove, 0}), "E1-G1");
  EXPECT_EQ(MoveText(Move{64, 75, EnPassantMove, 0}), "D5xE6");
  EXPECT_EQ(MoveText(Move{85, 94, CaptureMove, EngineQueen}), "E7xD8D");
  EXPECT_EQ(CompactMoveText(Move{85, 95, QuietMove, EngineKnight}), "E7E8P");
  EXPECT_EQ(CompactMoveText(Move{85, 95, QuietMove, OpponentBishop}), "E7E8L");
  EXPECT_EQ(CompactMoveText(Move{85, 95, QuietMove, EngineRook}), "E7E8T");
  Game.engineIsWhite = false;
  EXPECT_EQ(CompactMoveText(Move{35, 55, QuietMove, 0}), "E7E5");
}

TEST_F(MoveTextTest, TypedPromotionWithTheEnginePlayingBlack) {
  // White's a-pawn stands on a7, which is index 31 in the engine's mirrored view.
  Board board = FenBoard("7k/P7/8/8/8/8/8/K7 b - - 0 1");
  ASSERT_FALSE(Game.engineIsWhite);
  auto typed = [&board](const char *text) {
    Move move = ParseMove(text);
    FindOpponentMove(board, move);
    if (move.promotion != 0) move.promotion = TypedPromotionPiece(text);
    return move;
  };
  EXPECT_EQ(typed("a7a8t"), (Move{31, 21, QuietMove, OpponentRook}));
  EXPECT_EQ(typed("a7a8l").promotion, OpponentBishop);
  EXPECT_EQ(typed("a7a8p").promotion, OpponentKnight);
  EXPECT_EQ(typed("a7a8").promotion, OpponentQueen);
  EXPECT_EQ(typed("a7a8x").promotion, OpponentQueen);
}

TEST_F(MoveTextTest, PlayMoveStringReplaysOrChangesNothing) {
  Game.currentBoard = StartBoard;
  ASSERT_TRUE(PlayMoveString("e2e4 e7e5"));
  Board expected = StartBoard;
  expected[35] = Empty;
  expected[55] = EnginePawn;
  expected[85] = Empty;
  expected[65] = OpponentPawn;
  EXPECT_TRUE(SamePosition(Game.currentBoard, expected));

  Board before = Game.currentBoard;
  EXPECT_FALSE(PlayMoveString("g1f3e3e4"));  // e3 is empty
  EXPECT_TRUE(SamePosition(Game.currentBoard, before));
  EXPECT_FALSE(PlayMoveString("g1f3i9i8"));  // not a square
  EXPECT_TRUE(SamePosition(Game.currentBoard, before));

  // Castling, en passant and a promotion are recognised from the board.
  Game.currentBoard = StartBoard;
  ASSERT_TRUE(PlayMoveString("e2e4 d7d5 e4e5 f7f5 e5f6 b8c6 g1f3 c8g4 f1e2 d8d7 e1g1"));
  EXPECT_EQ(Game.currentBoard[27], EngineKing);
  EXPECT_EQ(Game.currentBoard[26], EngineRook);
  EXPECT_EQ(Game.currentBoard[76], EnginePawn);
  EXPECT_EQ(Game.currentBoard[66], Empty);  // the f5 pawn was taken en passant
  Game.currentBoard = PiecesBoard({{85, EnginePawn}, {32, OpponentPawn}});
  ASSERT_TRUE(PlayMoveString("e7e8b2b1"));
  EXPECT_EQ(Game.currentBoard[95], EngineQueen);
  EXPECT_EQ(Game.currentBoard[22], OpponentQueen);
}

}  // namespace
