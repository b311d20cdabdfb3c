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
