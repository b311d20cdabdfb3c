#include <gtest/gtest.h>

#include "board/Board.h"

namespace {

class BoardTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitBoardTables();
    InitEvaluationMasks();
  }
};

TEST_F(BoardTablesTest, StartBoardHoldsTheInitialPositionFromTheEngineSide) {
  const uint8_t engineRow[8] = {17, 9, 13, 21, 25, 13, 9, 17};
  const uint8_t opponentRow[8] = {18, 10, 14, 22, 26, 14, 10, 18};
  for (int column = 1; column <= 8; column++) {
    EXPECT_EQ(StartBoard[20 + column], engineRow[column - 1]);
    EXPECT_EQ(StartBoard[30 + column], EnginePawn);
    EXPECT_EQ(StartBoard[80 + column], OpponentPawn);
    EXPECT_EQ(StartBoard[90 + column], opponentRow[column - 1]);
    for (int row = 4; row <= 7; row++) EXPECT_EQ(StartBoard[10 * row + column], Empty);
  }
  EXPECT_EQ(StartBoard[EngineRights], 3);
  EXPECT_EQ(StartBoard[OpponentRights], 3);
  EXPECT_EQ(StartBoard[EnPassantSquare], 0);
  EXPECT_EQ(StartBoard[20], Sentinel);
  EXPECT_EQ(StartBoard[99], Sentinel);
  for (int index : {0, 19, 29, 30, 89, 90, 100, 119, 123, 124, 125, 126, 127}) EXPECT_EQ(StartBoard[index], Border);
  EXPECT_TRUE(SamePosition(Game.currentBoard, StartBoard));
  EXPECT_EQ(Game.gameHistory.count, 0);
}

TEST_F(BoardTablesTest, PieceTables) {
  EXPECT_EQ(PieceValue[EnginePawn], 95);
  EXPECT_EQ(PieceValue[OpponentKnight], 305);
  EXPECT_EQ(PieceValue[EngineBishop], 310);
  EXPECT_EQ(PieceValue[OpponentRook], 480);
  EXPECT_EQ(PieceValue[EngineQueen], 900);
  EXPECT_EQ(PieceValue[OpponentKing], 1000);
  EXPECT_EQ(PieceValue[Border], 0);
  EXPECT_EQ(PieceWeight[OpponentQueen], 9);
  EXPECT_EQ(PieceWeight[EngineKing], 10);
  EXPECT_EQ(EvalPieceMask[EngineRook], 0);
  EXPECT_EQ(EvalPieceMask[EngineQueen], 0);
  EXPECT_EQ(EvalPieceMask[OpponentRook], 1);
  EXPECT_EQ(EvalPieceMask[EnginePawn], 1);
  EXPECT_EQ(EvalPieceMask[Sentinel], 0);
}

TEST_F(BoardTablesTest, DirectionTables) {
  const std::pair<int, int> rays[] = {{18, 9}, {20, 10}, {22, 11}, {72, 9}, {77, 11}, {8, 0},
                                      {-9, -9}, {45, 9}, {55, 11}, {70, 10}, {7, 1}, {0, 0}};
  for (auto [difference, direction] : rays) EXPECT_EQ(RayDirection(difference), direction) << difference;
  EXPECT_EQ(KingStep(-11), -11);
  EXPECT_EQ(KingStep(2), 0);
  EXPECT_EQ(KnightStep(19), 19);
  EXPECT_EQ(KnightStep(-12), -12);
  EXPECT_EQ(KnightStep(11), 0);
}

TEST_F(BoardTablesTest, StepMovesKeepNullEntriesInOffsetOrder) {
  const Move *corner = KnightMoves[21];
  EXPECT_TRUE(corner[0].IsNull());  // 29, border
  EXPECT_TRUE(corner[1].IsNull());  // 40, border
  EXPECT_EQ(corner[2], (Move{21, 42, StepMove, 0}));
  EXPECT_EQ(corner[3], (Move{21, 33, StepMove, 0}));
  for (int k = 4; k < 8; k++) EXPECT_TRUE(corner[k].IsNull());
  int kingTargets = 0;
  for (const Move &move : KingMoves[55]) kingTargets += move.IsNull() ? 0 : 1;
  EXPECT_EQ(kingTargets, 8);
  for (const Move &move : KingMoves[10]) EXPECT_TRUE(move.IsNull());
}

TEST_F(BoardTablesTest, GeometryTables) {
  EXPECT_EQ(Distance[21][98], 7);
  EXPECT_EQ(Distance[25][27], 2);
  EXPECT_EQ(RankOf[21], 1);
  EXPECT_EQ(FileOf[98], 8);
  EXPECT_EQ(EdgeClass[21], 2);
  EXPECT_EQ(EdgeClass[25], 1);
  EXPECT_EQ(EdgeClass[55], 0);
  EXPECT_EQ(SquareColour[21], 1);
  EXPECT_EQ(SquareColour[22], 0);
  EXPECT_EQ(SquareColour[31], 0);
  EXPECT_EQ(SquareColour[20], 99);
  EXPECT_EQ(InwardSquare[21], 32);
  EXPECT_EQ(InwardSquare[98], 87);
  EXPECT_EQ(InwardSquare[55], 55);
  const int centrality[10] = {-8, 0, 8, 16, 24, 24, 16, 8, 0, -8};
  for (int column = 0; column < 10; column++) EXPECT_EQ(FileCentrality[column], centrality[column]);
}

TEST_F(BoardTablesTest, MaskTables) {
  EXPECT_EQ(SquareBit[21], uint64_t(1) << 0);
  EXPECT_EQ(SquareBit[31], uint64_t(1) << 1);
  EXPECT_EQ(SquareBit[91], uint64_t(1) << 7);
  EXPECT_EQ(SquareBit[22], uint64_t(1) << 8);
  EXPECT_EQ(SquareBit[98], uint64_t(1) << 63);
  EXPECT_EQ(SquareBit[20], 0u);
  // e2 ahead: e3..e8, row 9 never included.
  EXPECT_EQ(FileAhead[35], SquareBit[45] | SquareBit[55] | SquareBit[65] | SquareBit[75] | SquareBit[85]);
  EXPECT_EQ(FileBehind[65], SquareBit[55] | SquareBit[45] | SquareBit[35]);
  EXPECT_EQ(FileAhead[81], 0u);
  EXPECT_EQ(AdjacentFiles3[41], SquareBit[32] | SquareBit[42] | SquareBit[52]);
  EXPECT_EQ(AdjacentBehind[48], SquareBit[47] | SquareBit[37]);
  EXPECT_EQ(AdjacentAhead[45], SquareBit[44] | SquareBit[54] | SquareBit[46] | SquareBit[56]);
  EXPECT_EQ(SpanAhead[71], FileAhead[71] | FileAhead[72]);
  EXPECT_EQ(SpanBehind[88], FileBehind[88] | FileBehind[87]);
  EXPECT_EQ(NotAheadOnFile[45][35], 1);
  EXPECT_EQ(NotAheadOnFile[35][45], 0);
  EXPECT_EQ(NotAheadOnFile[35][46], 1);
  EXPECT_EQ(NotBehindOnFile[35][45], 1);
  EXPECT_EQ(NotBehindOnFile[20][45], 0);
}

TEST_F(BoardTablesTest, HistoryOverflowKeepsTheLastEntryInFront) {
  Board board = StartBoard;
  for (uint32_t i = 1; i <= 110; i++) HistoryPush(board, 0, i, 0);
  EXPECT_EQ(Game.gameHistory.count, 110);
  HistoryPush(board, 0, 111, 0);
  EXPECT_EQ(Game.gameHistory.count, 110);
  EXPECT_EQ(Game.gameHistory.entry[1].keyLow, 110u);
  EXPECT_EQ(Game.gameHistory.entry[2].keyLow, 2u);
  EXPECT_EQ(Game.gameHistory.entry[110].keyLow, 111u);
}

TEST_F(BoardTablesTest, RepetitionCountsMatchSideMarkerKeyAndBoard) {
  Board board = StartBoard;
  Board moved = StartBoard;
  moved[35] = Empty;
  moved[55] = EnginePawn;
  HistoryPush(board, 0, 7, 9);
  HistoryPush(moved, 0, 7, 9);  // same key, other board
  HistoryPush(board, 1, 7, 9);  // other side marker
  HistoryPush(board, 0, 7, 8);  // other key
  HistoryPush(board, 0, 7, 9);
  EXPECT_TRUE(IsRepeated(board, 0, 7, 9));
  EXPECT_TRUE(IsTwofold(board, 0, 7, 9));
  EXPECT_FALSE(IsThreefold(board, 0, 7, 9));
  HistoryPush(board, 0, 7, 9);
  EXPECT_TRUE(IsThreefold(board, 0, 7, 9));

  Board kingSquares = board;  // king-square and spare bytes take no part
  kingSquares[EngineKingSquare] = 25;
  kingSquares[126] = 0;
  EXPECT_TRUE(SamePosition(kingSquares, board));
  Board rights = board;
  rights[OpponentRights] = 1;
  EXPECT_FALSE(SamePosition(rights, board));
  EXPECT_FALSE(SameStateBytes(rights, board));
}

TEST_F(BoardTablesTest, FiftyMoveCountEmptiesHistoryOnIrreversiblePlies) {
  HistoryPush(StartBoard, 0, 1, 1);
  CountFiftyMoveRule(EngineKnight, QuietMove);
  EXPECT_EQ(Game.fiftyMoveCount, 1);
  EXPECT_EQ(Game.gameHistory.count, 1);
  CountFiftyMoveRule(OpponentRook, CaptureMove);
  EXPECT_EQ(Game.fiftyMoveCount, 0);
  EXPECT_EQ(Game.gameHistory.count, 0);
  CountFiftyMoveRule(OpponentKing, CastlingMove);
  CountFiftyMoveRule(EnginePawn, QuietMove);
  EXPECT_EQ(Game.fiftyMoveCount, 0);
}

}  // namespace
