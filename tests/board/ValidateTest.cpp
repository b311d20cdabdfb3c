// The validators behind the engine's assertions: every position a perft walks passes them, and each
// kind of damage they exist for is caught.
#include <gtest/gtest.h>

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Geometry.h"
#include "board/Move.h"
#include "board/Perft.h"
#include "board/Validate.h"
#include "book/Book.h"
#include "tests/board/MovesFixture.h"

namespace {

using ValidateTest = MovesTest;

const char *const Kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

// Two plies of the tree, as perft makes them: board, move and record all pass.
TEST_F(ValidateTest, EveryPositionOfATreeIsOk) {
  Board root = FenBoard(Kiwipete);
  int children = 0;
  ForEachLegalChild(root, PerftRoot(root), true, [&](Move move, const Board &child, const EvalState &state) {
    EXPECT_TRUE(MoveIsOk(root, move));
    EXPECT_TRUE(BoardIsOk(child));
    EXPECT_TRUE(EvalStateIsOk(child, state));
    ForEachLegalChild(child, state, false, [&](Move reply, const Board &grandchild, const EvalState &next) {
      EXPECT_TRUE(MoveIsOk(child, reply));
      EXPECT_TRUE(BoardIsOk(grandchild) && EvalStateIsOk(grandchild, next));
      children++;
    });
  });
  EXPECT_EQ(children, 2039);  // the published count at depth 2
}

TEST_F(ValidateTest, DamagedBoardsAreCaught) {
  const Board start = FenBoard(Kiwipete);
  ASSERT_TRUE(BoardIsOk(start));
  auto damaged = [&](auto damage) {
    Board board = start;
    damage(board);
    return BoardIsOk(board);
  };
  EXPECT_FALSE(damaged([](Board &b) { b[25] = Empty; }));             // no engine king
  EXPECT_FALSE(damaged([](Board &b) { b[EngineKingSquare] = 26; }));  // king byte elsewhere
  EXPECT_FALSE(damaged([](Board &b) { b[22] = EnginePawn; }));        // a pawn on the back row
  EXPECT_FALSE(damaged([](Board &b) { b[28] = Empty; }));             // a right without its rook
  EXPECT_FALSE(damaged([](Board &b) { b[EnPassantSquare] = 45; }));   // no pawn just doubled there
  EXPECT_FALSE(damaged([](Board &b) { b[19] = Empty; }));             // a hole in the border
  EXPECT_FALSE(damaged([](Board &b) { b[99] = Border; }));            // the sentinel gone
  EXPECT_FALSE(damaged([](Board &b) { b[54] = 11; }));                // no piece code
  EXPECT_FALSE(damaged([](Board &b) { b[EngineRights] = 4; }));       // no such right
}

TEST_F(ValidateTest, MovesThatDoNotFitAreCaught) {
  Board board = FenBoard(Kiwipete);
  EXPECT_TRUE(MoveIsOk(board, Move{25, 27, CastlingMove, 0}));
  EXPECT_FALSE(MoveIsOk(board, Move{25, 35, QuietMove, 0}));            // onto its own bishop
  EXPECT_FALSE(MoveIsOk(board, Move{36, 35, CaptureMove, 0}));          // takes its own piece
  EXPECT_FALSE(MoveIsOk(board, Move{44, 54, QuietMove, 0}));            // nothing on the origin
  EXPECT_FALSE(MoveIsOk(board, Move{31, 41, QuietMove, EngineQueen}));  // promotes mid-board
  EXPECT_FALSE(MoveIsOk(board, Move{31, 41, PawnMove, 0}));             // not a resolved kind
  board[EngineRights] = 2;
  EXPECT_FALSE(MoveIsOk(board, Move{25, 27, CastlingMove, 0}));  // the right is gone
  Board kings = FenBoard("4k3/8/8/8/8/8/8/4K2Q w - - 0 1");
  EXPECT_FALSE(MoveIsOk(kings, Move{28, 95, CaptureMove, 0}));  // a king is never taken
}

TEST_F(ValidateTest, RecordsThatDisagreeWithTheBoardAreCaught) {
  Board board = FenBoard(Kiwipete);
  EvalState state = PerftRoot(board);
  ASSERT_TRUE(EvalStateIsOk(board, state));
  EvalState wrong = state;
  wrong.opponentMaterial -= 95;
  EXPECT_FALSE(EvalStateIsOk(board, wrong));
  wrong = state;
  wrong.minorBalance++;
  EXPECT_FALSE(EvalStateIsOk(board, wrong));
  wrong = state;
  wrong.positionKey ^= 1;
  EXPECT_FALSE(EvalStateIsOk(board, wrong));
  wrong.positionKey = 0;  // a record that keeps no key
  EXPECT_TRUE(EvalStateIsOk(board, wrong));
}

// A damaged book line that would take a king stops the replay and leaves the board as it was.
TEST_F(ValidateTest, ABookLineThatDoesNotFitIsNotReplayed) {
  Board board = StartBoard;
  BookLine line{};
  const uint8_t moves[] = {35, 55, 84, 64, 24, 68, 68, 95};  // e4 d5 Qh5 ... Qxe8: the queen takes the king
  line.length = sizeof moves;
  for (int i = 0; i < line.length; i++) line.bytes[i + 1] = moves[i];
  EXPECT_FALSE(ReplayBookLine(line, line.length + 1, board));
  EXPECT_TRUE(SamePosition(board, StartBoard));
  EXPECT_TRUE(ReplayBookLine(line, 6, board));  // the first three moves are sound
}

}  // namespace
