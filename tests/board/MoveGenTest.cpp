#include <vector>

#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "tests/board/MovesFixture.h"

namespace {

using MoveGenTest = MovesTest;

std::vector<Move> Records(const MoveList &list, int top) { return {list.slot + 1, list.slot + top + 1}; }

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

TEST_F(MoveGenTest, StartPositionRecordsAndPasses) {
  MoveList list;
  int top = GenerateEngineMoves(StartBoard, true, list);
  EXPECT_EQ(list.slot[0], EndMove);
  // Rook, knight, bishop, queen, king, bishop, knight, rook: 48 records; then two per pawn.
  ASSERT_EQ(top, 48 + 16);
  // The a1 rook's rays end at once, on the border, the sentinel and its own pieces.
  EXPECT_EQ(list.slot[1], (Move{21, 11, -10, 0}));
  EXPECT_EQ(list.slot[2], (Move{21, 20, -1, 0}));
  EXPECT_EQ(list.slot[3], (Move{21, 22, 1, 0}));
  EXPECT_EQ(list.slot[4], (Move{21, 31, 10, 0}));
  for (int k = 0; k < 8; k++) EXPECT_EQ(list.slot[5 + k], KnightMoves[22][k]) << k;  // null entries kept
  EXPECT_TRUE(list.slot[5].IsNull());
  // No castling: the last records are the h-pawn's push and double push.
  EXPECT_EQ(list.slot[top - 1], (Move{38, 48, PawnMove, 0}));
  EXPECT_EQ(list.slot[top], (Move{38, 58, PawnMove, 0}));

  CaptureList captures;
  CollectCaptures(StartBoard, list, top, EngineSide, TriedMoves{}, captures);
  EXPECT_EQ(NextCapture(captures, CaptureMode::All, 0), EndMove);
  std::vector<Move> quiet = QuietMoves(list, top);
  ASSERT_EQ(quiet.size(), 20u);
  EXPECT_EQ(quiet.front(), (Move{38, 58, QuietMove, 0}));  // taken from the top: h-pawn double push
  EXPECT_EQ(quiet.back(), (Move{22, 41, QuietMove, 0}));   // the b1 knight's first table entry
  for (int slot = 1; slot <= top; slot++) EXPECT_TRUE(list.slot[slot].IsNull()) << slot;
}

TEST_F(MoveGenTest, QueenRaysWalkFromTheFarEndInward) {
  Board board = PiecesBoard({{54, EngineQueen}});
  MoveList list;
  int top = GenerateEngineMoves(board, true, list);
  // Each ray ends on the border, in the order -9, -11, +9, +11, -10, -1, +1, +10.
  std::vector<Move> expected = {{54, 18, -9, 0},  {54, 10, -11, 0}, {54, 90, 9, 0}, {54, 109, 11, 0},
                                {54, 14, -10, 0}, {54, 50, -1, 0},  {54, 59, 1, 0}, {54, 104, 10, 0}};
  ASSERT_EQ(Records(list, top), expected);

  CaptureList captures;
  CollectCaptures(board, list, top, EngineSide, TriedMoves{}, captures);
  std::vector<Move> quiet = QuietMoves(list, top);
  ASSERT_EQ(quiet.size(), 27u);
  std::vector<Move> firstRay(quiet.begin(), quiet.begin() + 5);
  std::vector<Move> expectedRay = {
      {54, 94, 10, 0}, {54, 84, 10, 0}, {54, 74, 10, 0}, {54, 64, 10, 0}, {54, 58, 10, 0}};
  EXPECT_EQ(firstRay, expectedRay);
}

TEST_F(MoveGenTest, PromotionRecordsComeInGroupsOfFour) {
  Board board = PiecesBoard({{82, EnginePawn}, {91, OpponentRook}, {93, OpponentKnight}});
  MoveList list;
  int top = GenerateEngineMoves(board, true, list);
  std::vector<Move> expected;
  for (int to : {92, 91, 93})
    for (uint8_t piece : {EngineBishop, EngineKnight, EngineRook, EngineQueen})
      expected.push_back(Move{82, Square(to), PawnMove, piece});
  EXPECT_EQ(Records(list, top), expected);
}

TEST_F(MoveGenTest, CapturesComeBestFirstAndEqualScoresByGenerationOrder) {
  // c4 takes the rook or the pawn, e4 the same pawn, the knight a pawn on f3, the queen the d5 pawn.
  Board board = FenBoard("4k3/8/8/1r1p4/2P1P3/5p2/3Q4/4K1N1 w - - 0 1");
  MoveList list;
  int top = GenerateEngineMoves(board, true, list);
  CaptureList captures;
  CollectCaptures(board, list, top, EngineSide, TriedMoves{}, captures);
  ASSERT_EQ(captures.filled, 5);
  EXPECT_EQ(captures.entry[5].score, 480 * 64 - 95);
  EXPECT_EQ(captures.entry[1].score, 95 * 64 - 900);
  std::vector<std::string> texts;
  for (Move move : AllCaptures(captures)) texts.push_back(MoveText(move));
  // Of the two equal pawn captures, c4's was generated first and comes out first.
  EXPECT_EQ(texts, (std::vector<std::string>{"C4xB5", "C4xD5", "E4xD5", "G1xF3", "D2xD5"}));

  // A tried capture is not collected again.
  TriedMoves tried{};
  AddTriedMove(tried, ParseMove("C4D5"));  // kind 10: not the same move
  AddTriedMove(tried, Move{Square(ParseSquare("C4")), Square(ParseSquare("B5")), CaptureMove, 0});
  top = GenerateEngineMoves(board, true, list);
  CollectCaptures(board, list, top, EngineSide, tried, captures);
  EXPECT_EQ(captures.filled, 4);
  EXPECT_EQ(MoveText(NextCapture(captures, CaptureMode::All, 0)), "C4xD5");
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
  RewindCaptures(captures);
  EXPECT_EQ(NextCapture(captures, CaptureMode::All, 0), EndMove);  // each handed out once

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
  EXPECT_EQ(find("D4D3"), (Move{54, 44, QuietMove, 0}));
  EXPECT_EQ(find("B2B1"), (Move{32, 22, QuietMove, OpponentQueen}));  // the queen record matches first
  EXPECT_EQ(find("B2A1"), (Move{32, 21, CaptureMove, OpponentQueen}));
  EXPECT_EQ(find("H8H1"), (Move{98, 28, QuietMove, 0}));  // the ray walks to the far end
  EXPECT_EQ(find("A8A1"), (Move{91, 21, CaptureMove, 0}));
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
