#include <vector>

#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "tests/board/MovesFixture.h"

namespace {

using MoveGenTest = MovesTest;

std::vector<Move> QuietMoves(MoveList &list, int top, const TriedMoves &tried = TriedMoves{}) {
  std::vector<Move> moves;
  for (Move move = NextQuietMove(list, top, tried); move.kind != EndOfList;
       move = NextQuietMove(list, top, tried))
    moves.push_back(move);
  return moves;
}

std::vector<Move> AllCaptures(CaptureList &captures) {
  std::vector<Move> moves;
  for (Move move = NextCapture(captures, CaptureMode::All, 0); move.kind != EndOfList;
       move = NextCapture(captures, CaptureMode::All, 0))
    moves.push_back(move);
  return moves;
}

TEST_F(MoveGenTest, GoodCapturesRecapturesAndASecondWalk) {
  // The queen may take the lone knight on a5 or the d5 pawn, which c6 defends.
  Board board = FenBoard("4k3/8/2p5/n2p4/8/8/3Q4/4K3 w - - 0 1");
  int d5 = ParseSquare("D5");
  Move takesKnight = ParseMove("D2A5"), takesPawn = ParseMove("D2D5");
  takesKnight.kind = takesPawn.kind = CaptureMove;
  EXPECT_TRUE(IsGoodCapture(board, takesKnight, EngineSide));
  EXPECT_FALSE(IsGoodCapture(board, takesPawn, EngineSide));

  MoveList list;
  int top = GenerateEngineMoves(board, true, list);
  CaptureList captures;
  CollectCaptures(board, list, top, EngineSide, TriedMoves{}, captures);
  ASSERT_EQ(captures.filled, 2);
  EXPECT_EQ(NextGoodCapture(captures, 0, board, EngineSide), takesKnight);
  EXPECT_EQ(NextGoodCapture(captures, 0, board, EngineSide), EndMove);  // the pawn is passed over
  RewindCaptures(captures);
  EXPECT_EQ(NextGoodCapture(captures, d5, board, EngineSide), takesPawn);  // onto the last move's square

  top = GenerateEngineMoves(board, true, list);
  CollectCaptures(board, list, top, EngineSide, TriedMoves{}, captures);
  EXPECT_EQ(NextCapture(captures, CaptureMode::RecapturesOnly, d5), takesPawn);
  EXPECT_EQ(NextCapture(captures, CaptureMode::RecapturesOnly, d5), EndMove);
  RewindCaptures(captures);
  EXPECT_EQ(NextCapture(captures, CaptureMode::All, 0), takesKnight);
}

TEST_F(MoveGenTest, FindOpponentMoveResolvesKinds) {
  // White (the engine) has just played e2e4 beside Black's d4 pawn; Black may castle either way,
  // and its b2 pawn may promote by a push or by taking the a1 rook.
  Board board = FenBoard("r3k2r/8/8/8/3pP3/8/1p6/R3K3 w Qkq - 0 1");
  board[EnPassantSquare] = uint8_t(ParseSquare("E4"));
  auto find = [&board](const char *text) {
    Move move = ParseMove(text);
    FindOpponentMove(board, move);
    return move;
  };
  EXPECT_EQ(find("E8G8"), (Move{95, 97, CastlingMove, 0}));
  EXPECT_EQ(find("E8C8"), (Move{95, 93, CastlingMove, 0}));
  EXPECT_EQ(find("D4E3"), (Move{54, 45, EnPassantMove, 0}));
  EXPECT_EQ(find("B2B1"), (Move{32, 22, QuietMove, OpponentQueen}));  // the queen record matches first
  EXPECT_EQ(find("B2A1"), (Move{32, 21, CaptureMove, OpponentQueen}));
  EXPECT_EQ(find("H8H1"), (Move{98, 28, QuietMove, 0}));  // the ray walks to the far end
  EXPECT_EQ(find("E8E6"), NullMove);
  EXPECT_EQ(find("E1E2"), NullMove);  // not the opponent's piece
}

TEST_F(MoveGenTest, GeneratorsStopAtTheLastSlot) {
  struct Guarded {
    MoveList list;
    Move guard[4];
  } guarded;
  for (Move &move : guarded.guard) move = Move{1, 2, 3, 4};
  Board board = EmptyBoard;  // 32 queens on every other row give 256 ray records
  for (int square = 21; square <= 88; square++)
    if (IsPlayingSquare(square) && square / 10 % 2 == 0) board[square] = EngineQueen;
  int top = GenerateEngineMoves(board, true, guarded.list);
  EXPECT_EQ(top, MoveListSize - 1);
  for (Move move : guarded.guard) EXPECT_EQ(move, (Move{1, 2, 3, 4}));

  // The passes cope with a full list.
  CaptureList captures;
  CollectCaptures(board, guarded.list, top, EngineSide, TriedMoves{}, captures);
  EXPECT_EQ(captures.filled, 0);
  EXPECT_FALSE(QuietMoves(guarded.list, top).empty());
}

}  // namespace
