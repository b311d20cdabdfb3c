// Pieces, kings and threats on hand-built positions; the expected values are worked out by hand.
#include <gtest/gtest.h>

#include <cstring>

#include "eval/EvalTestSupport.h"

namespace {

class EvaluateTest : public ::testing::Test {
 protected:
  void SetUp() override { InitEvalTables(); }
};

TEST_F(EvaluateTest, ScanEndsAtTheSentinel) {
  Position plain = MakePosition({{21, EngineKing}, {98, OpponentKing}, {45, EngineKnight}});
  Position beyond = plain;
  beyond.board[100] = OpponentQueen;  // past the sentinel on 99: no piece of the position
  EvalState a = EvaluatedRoot(plain), b = EvaluatedRoot(beyond);
  EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

TEST_F(EvaluateTest, PositionalTermOfPiecesReachingTheBorder) {
  const struct {
    std::vector<Placement> pieces;
    int32_t expected;
  } cases[] = {
      // Rook files open to the border rows (20 each) plus row mobility of column 4 (24) and the
      // doubling (5); an opponent rook on 76 takes 20 + 24 back.
      {{{21, EngineKing}, {98, OpponentKing}, {24, EngineRook}, {84, EngineRook}}, 69},
      {{{21, EngineKing}, {98, OpponentKing}, {24, EngineRook}, {84, EngineRook}, {76, OpponentRook}}, 25},
      // Rook facing a loose pawn (8 + 8), column 4 (24), cut from its back row (-15); knight 12;
      // opponent rook past the king to 11 (-18) and row 1 (-24); the king 5 from the pawn (-32).
      {{{21, EngineKing}, {98, OpponentKing}, {44, EngineRook}, {34, EngineKnight}, {74, OpponentPawn},
        {91, OpponentRook}}, 25 + 12 - 42 - 32},
      // Bishop diagonals step back from the border (78: 24), stop beyond a pawn (67: 18) or on it.
      {{{28, EngineKing}, {91, OpponentKing}, {23, EngineBishop}}, 24},
      {{{28, EngineKing}, {91, OpponentKing}, {23, EngineBishop}, {56, OpponentPawn}}, 18 - 16},
      {{{28, EngineKing}, {91, OpponentKing}, {23, EngineBishop}, {78, OpponentPawn}}, 24 - 32},
      {{{21, EngineKing}, {98, OpponentKing}, {23, EngineBishop}, {26, EngineBishop}}, 24 + 24 + 50},
      // Two opponent heavy pieces on row 3: -36 with the engine king on its back row, else -18.
      {{{21, EngineKing}, {98, OpponentKing}, {33, OpponentRook}, {36, OpponentRook}}, -40 - 36},
      {{{45, EngineKing}, {98, OpponentKing}, {33, OpponentRook}, {36, OpponentRook}}, -40 - 18},
  };
  for (const auto &c : cases)
    EXPECT_EQ(EvaluatedRoot(MakePosition(c.pieces)).positionalTerm, c.expected) << c.expected;
}

TEST_F(EvaluateTest, KingEndTableWeightFollowsTheOpponentsPieces) {
  // EngineKingEndTable[45] = 5: doubled for a lone rook, quadrupled for 790 to 900, once at 1270;
  // a middle-game king off its back rows costs 112, a quarter less without the opponent queen.
  const struct {
    std::vector<Placement> pieces;
    int32_t expected;
  } cases[] = {
      {{{91, OpponentRook}}, 10},
      {{{91, OpponentRook}, {92, OpponentRook}, {93, OpponentBishop}}, 5},
      {{{91, OpponentQueen}, {92, OpponentRook}, {93, OpponentBishop}}, -112},
      {{{91, OpponentRook}, {92, OpponentRook}, {93, OpponentBishop}, {94, OpponentBishop}, {96, OpponentKnight}},
       -84},
  };
  for (const auto &c : cases) {
    std::vector<Placement> pieces = {{45, EngineKing}, {98, OpponentKing}};
    pieces.insert(pieces.end(), c.pieces.begin(), c.pieces.end());
    EXPECT_EQ(EvaluatedRoot(MakePosition(pieces)).engineKingTerm, c.expected);
  }
}

TEST_F(EvaluateTest, NoThreatFromOrOntoTheSquareJustMovedTo) {
  Position engine = MakePosition(
      {{21, EngineKing}, {98, OpponentKing}, {44, EnginePawn}, {53, OpponentKnight}, {55, OpponentKnight}});
  EXPECT_EQ(EvaluatedRoot(engine).threatTerm, 130);
  EXPECT_EQ(EvaluatedRoot(engine, Move{34, 44, QuietMove, 0}).threatTerm, 0);   // the pawn just moved
  EXPECT_EQ(EvaluatedRoot(engine, Move{74, 55, QuietMove, 0}).threatTerm, 65);  // the knight on 55 did
  Position opponent = MakePosition(
      {{21, EngineKing}, {98, OpponentKing}, {65, OpponentPawn}, {54, EngineKnight}, {56, EngineBishop}});
  EXPECT_EQ(EvaluatedRoot(opponent).threatTerm, -300);
  EXPECT_EQ(EvaluatedRoot(opponent, Move{75, 65, QuietMove, 0}).threatTerm, 0);
  EXPECT_EQ(EvaluatedRoot(opponent, Move{34, 56, QuietMove, 0}).threatTerm, -150);
}

TEST_F(EvaluateTest, EscapeDangerCountsSafeSquaresAroundTheInwardSquare) {
  // The king on 21 looks from 32; with the king lifted 21 itself counts as attacked.
  Position p = MakePosition({{21, EngineKing}, {98, OpponentKing}});
  EXPECT_EQ(EscapeDanger(p.board, EngineSide), 0);
  p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {41, OpponentRook}, {43, OpponentRook}});
  EXPECT_EQ(EscapeDanger(p.board, EngineSide), 96);
  p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {32, OpponentQueen}});
  Board before = p.board;
  EXPECT_EQ(EscapeDanger(p.board, EngineSide), 128);
  EXPECT_EQ(std::memcmp(&before, &p.board, sizeof before), 0);
  EXPECT_EQ(EvaluatedRoot(p).engineKingDanger, 128) << "not halved with 900 of opponent pieces";
}

}  // namespace
