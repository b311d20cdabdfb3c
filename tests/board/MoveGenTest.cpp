#include <vector>

#include "board/EvalState.h"
#include "board/Geometry.h"
#include "board/Move.h"
#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "board/Perft.h"
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

// The captures-only collection must hand the search exactly what generation and collection give:
// the same pairs in the same order, at every node of small trees rich in captures, promotions and
// en passant, with and without a tried capture; and on a board crowded past the list's capacity.
void ExpectSameCaptures(const Board &board, bool engineToMove, const TriedMoves &tried) {
  int side = engineToMove ? EngineSide : OpponentSide;
  MoveList list;
  int top =
      engineToMove ? GenerateEngineMoves(board, false, list) : GenerateOpponentMoves(board, false, list);
  CaptureList expected, actual;
  CollectCaptures(board, list, top, side, tried, expected);
  CollectCapturesOnly(board, side, tried, actual);
  ASSERT_EQ(actual.filled, expected.filled);
  ASSERT_EQ(actual.top, expected.top);
  for (int i = 0; i <= expected.filled; i++) {
    ASSERT_EQ(actual.entry[i].move, expected.entry[i].move) << i;
    ASSERT_EQ(actual.entry[i].score, expected.entry[i].score) << i;
  }
}

void CompareCapturesInTree(const Board &board, const EvalState &state, int depth, bool engineToMove) {
  ExpectSameCaptures(board, engineToMove, TriedMoves{});
  CaptureList captures;
  CollectCapturesOnly(board, engineToMove ? EngineSide : OpponentSide, TriedMoves{}, captures);
  if (captures.filled > 0) {
    TriedMoves tried;
    AddTriedMove(tried, captures.entry[1].move);
    ExpectSameCaptures(board, engineToMove, tried);
  }
  if (depth == 0 || ::testing::Test::HasFatalFailure()) return;
  ForEachLegalChild(board, state, engineToMove, [&](Move, const Board &child, const EvalState &childState) {
    CompareCapturesInTree(child, childState, depth - 1, !engineToMove);
  });
}

TEST_F(MoveGenTest, CapturesOnlyCollectionEqualsGenerationAndCollection) {
  const char *const fens[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
      "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1",
      "2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1",
      // Equal scores, where only the order of collection decides: a knight among eight pawns,
      // a king and a queen with several pawns to take, two pawns taking en passant, promotions
      // onto two knights.
      "4k3/8/2p1p3/1p3p2/3N4/1p3p2/2p1p3/4K3 w - - 0 1",
      "4k3/8/8/3p4/1p1Q1p2/8/3ppp2/4K3 w - - 0 1",
      "4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1",
      "1n1n4/2P5/8/8/8/8/8/k6K w - - 0 1",
  };
  for (const char *fen : fens) {
    SCOPED_TRACE(fen);
    CompareCapturesInTree(FenBoard(fen), EvalState{}, 2, true);
  }
}

}  // namespace
