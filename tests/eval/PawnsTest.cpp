// Pawn structure and passed pawns on hand-built positions; the expected values are worked out
// from the rules in the comments.
#include <gtest/gtest.h>

#include "board/MakeMove.h"
#include "eval/EvalTestSupport.h"

namespace {

class PawnsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitEvalTables(); }
};

// Kings out of the way on 21 and 98, then the pawns.
Position Pawns(std::initializer_list<Placement> pawns) {
  Position p = MakePosition({{21, EngineKing}, {98, OpponentKing}});
  for (const Placement &q : pawns) p.board[q.square] = q.piece;
  p.state = ScanEvalState(p.board);
  return p;
}

// The passed-pawn totals of the position as Evaluate sees them.
PasserTotals TotalsOf(const Position &p, Move lastMove = NullMove, bool engineToMove = true) {
  Board board = p.board;
  EvalState s = EvaluatedRoot(p, lastMove);
  return EvaluatePassedPawns(board, s, engineToMove, lastMove, s.opponentPieceMaterial - 1650,
                             s.enginePieceMaterial - 1650);
}

TEST_F(PawnsTest, WeaknessTotals) {
  // Isolated engine pawns: 34 (centre -12, isolated -6, open file -24), 37 (-6, -24), 61 on the
  // rook file (-6, -2 * 3): -84, which becomes (-84 - 80) / 4 - 80 = -121. 61 is worth 2.
  EXPECT_EQ(EvaluatedRoot(Pawns({{34, EnginePawn}, {37, EnginePawn}, {61, EnginePawn}})).pawnStructureTerm,
            2 - 121);
  // With 71 (-6, -2 * 2, worth 2): -82, and (-82 - 80) / 4 truncates to -40 (a shift would give -41).
  EXPECT_EQ(EvaluatedRoot(Pawns({{34, EnginePawn}, {37, EnginePawn}, {71, EnginePawn}})).pawnStructureTerm,
            2 - 120);
  // With 81 (-6, -2 * 1, worth 40) the total is exactly -80 and stays.
  EXPECT_EQ(EvaluatedRoot(Pawns({{34, EnginePawn}, {37, EnginePawn}, {81, EnginePawn}})).pawnStructureTerm,
            40 - 80);
  // Opponent pawns 85 (centre -6, isolated -6, open file -4 * 6), 82 (-6, -24) and 88 (-6, -2 * 6):
  // -84, cut to -80, which counts for the engine.
  EXPECT_EQ(
      EvaluatedRoot(Pawns({{85, OpponentPawn}, {82, OpponentPawn}, {88, OpponentPawn}})).pawnStructureTerm,
      80);
}

TEST_F(PawnsTest, DoubledPawnsCountOnce) {
  EXPECT_EQ(EvaluatedRoot(Pawns({{33, EnginePawn}, {43, EnginePawn}})).doubledTerm, -15);
  EXPECT_EQ(EvaluatedRoot(Pawns({{73, OpponentPawn}, {83, OpponentPawn}})).doubledTerm, 15);
  EXPECT_EQ(EvaluatedRoot(Pawns({{33, EnginePawn}, {43, EnginePawn}, {53, EnginePawn}})).doubledTerm, -30);
}

TEST_F(PawnsTest, CentrePawnsWithoutNeighbours) {
  // 34 keeps the full -12 with an opponent pawn in front (-18 with isolation, no open-file term);
  // the opponent pawn on 44 is isolated (-6, counted for the engine) and worth 20 to the opponent.
  EXPECT_EQ(EvaluatedRoot(Pawns({{34, EnginePawn}, {44, OpponentPawn}})).pawnStructureTerm, -18 - 20 + 6);
  // 44 with an opponent pawn in front: -6 (and -6 isolated); the pawn on 54 is worth 18.
  EXPECT_EQ(EvaluatedRoot(Pawns({{44, EnginePawn}, {54, OpponentPawn}})).pawnStructureTerm, -12 - 18 + 6);
  // 44 alone: -12, -6, open file -4 * 5.
  EXPECT_EQ(EvaluatedRoot(Pawns({{44, EnginePawn}})).pawnStructureTerm, -38);
}

TEST_F(PawnsTest, PasserListMarksConnectedPawns) {
  // 38 stands alone (loose), 52 has 63 on a neighbouring file (connected), 63 is supported from
  // behind by 52; the opponent's 45 is loose.
  EvalState s =
      EvaluatedRoot(Pawns({{38, EnginePawn}, {52, EnginePawn}, {63, EnginePawn}, {45, OpponentPawn}}));
  ASSERT_EQ(s.enginePasserCount, 3);
  EXPECT_EQ(s.passerList[0], -38);
  EXPECT_EQ(s.passerList[1], 52);
  EXPECT_EQ(s.passerList[2], 63);
  ASSERT_EQ(s.opponentPasserEnd, 9);
  EXPECT_EQ(s.passerList[8], -45);

  // A pawn with an enemy pawn on a neighbouring file ahead is no passer.
  s = EvaluatedRoot(Pawns({{52, EnginePawn}, {73, OpponentPawn}}));
  EXPECT_EQ(s.enginePasserCount, 0);
  EXPECT_EQ(s.opponentPasserEnd, 8);
}

TEST_F(PawnsTest, RunnerAgainstABareKing) {
  // Pawn on 72 (RankOf 6), opponent king on 58, 6 from the queening square 92: the runner is
  // 32 * 6 + 400. The passer itself: loose end table 75 + 8 * (6 - 5).
  Position p = MakePosition({{21, EngineKing}, {58, OpponentKing}, {72, EnginePawn}});
  PasserTotals totals = TotalsOf(p);
  EXPECT_EQ(totals.engineRunnerBest, 592);
  EXPECT_EQ(totals.enginePasserSum, 83);
  EXPECT_EQ(EvaluatedRoot(p).passedPawnTerm, 750);  // 83 + 592 + 592 / 2, capped

  // A king one step from the queening square catches it.
  p = MakePosition({{21, EngineKing}, {83, OpponentKing}, {72, EnginePawn}});
  EXPECT_EQ(TotalsOf(p).engineRunnerBest, 0);

  // Own king beside a pawn on RankOf 5 with the enemy king far: one runner the king supports.
  p = MakePosition({{64, EngineKing}, {28, OpponentKing}, {62, EnginePawn}});
  EXPECT_EQ(EvaluatedRoot(p).runnerCount, 1);
}

TEST_F(PawnsTest, FreePathIsNotGivenToThePawnThatJustMoved) {
  // Engine pawn on 82 against a rook: loose end table 84 + 4 * (3 - 6) = 72; 92 is neither held
  // nor attacked, so +60 more, but not for the pawn that has just arrived.
  Position p = MakePosition({{21, EngineKing}, {95, OpponentKing}, {82, EnginePawn}, {57, OpponentRook}});
  EXPECT_EQ(TotalsOf(p).enginePasserSum, 132);
  EXPECT_EQ(TotalsOf(p, Move{72, 82, QuietMove, 0}).enginePasserSum, 72);
  // A rook behind the pawn watches 92 through it.
  p = MakePosition({{21, EngineKing}, {95, OpponentKing}, {82, EnginePawn}, {52, OpponentRook}});
  EXPECT_EQ(TotalsOf(p).enginePasserSum, 72);

  // Opponent pawn on 32 against a rook: loose end table 84 + 4 * (7 - 6) = 88; 22 is free: +550.
  p = MakePosition({{98, EngineKing}, {91, OpponentKing}, {32, OpponentPawn}, {57, EngineRook}});
  EXPECT_EQ(TotalsOf(p).opponentPasserSum, 638);
  EXPECT_EQ(TotalsOf(p, Move{42, 32, QuietMove, 0}).opponentPasserSum, 88);
  EXPECT_EQ(TotalsOf(p).opponentRunnerBest, 28);  // (9 - 2) * 4 against a rook
}

TEST_F(PawnsTest, CombinationTruncatesAndCaps) {
  EvalState s{};
  CombinePassedPawns({100, 50, 300, 100}, true, false, s);  // d = 100: 100 + 400 + 400 / 4 against 50 + 100
  EXPECT_EQ(s.passedPawnTerm, 450);
  s = {};
  CombinePassedPawns({0, 0, 0, 3}, false, false, s);  // d = -3 / 2 = -1 (a shift would give -2)
  EXPECT_EQ(s.passedPawnTerm, -2);
  s = {};
  CombinePassedPawns({800, 0, 0, 0}, false, false, s);
  EXPECT_EQ(s.passedPawnTerm, 750);
  s = {};
  CombinePassedPawns({0, 700, 0, 200}, false, true, s);  // 700 + 100 + 100 / 4, capped
  EXPECT_EQ(s.passedPawnTerm, -750);
}

// UpdatePawnBits after a move made with MakeMove equals the bitboards built from the new board.
void ExpectUpdateMatchesBuild(Position p, Move move) {
  BuildPawnBits(p.state, p.board);
  uint8_t captured = p.board[move.to];
  if (move.kind == EnPassantMove)
    captured = SideOf(p.board[move.from]) == EngineSide ? OpponentPawn : EnginePawn;
  MakeMove(move, p.board, p.state);
  UpdatePawnBits(move, captured, p.state, p.board);
  EvalState fresh{};
  BuildPawnBits(fresh, p.board);
  EXPECT_EQ(p.state.enginePawnBits, fresh.enginePawnBits);
  EXPECT_EQ(p.state.opponentPawnBits, fresh.opponentPawnBits);
}

TEST_F(PawnsTest, UpdatePawnBitsForEnPassantAndPromotions) {
  Position p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {55, EnginePawn}, {54, OpponentPawn}});
  p.board[EnPassantSquare] = 54;
  ExpectUpdateMatchesBuild(p, Move{55, 64, EnPassantMove, 0});

  p = MakePosition({{21, EngineKing}, {98, OpponentKing}, {44, OpponentPawn}, {45, EnginePawn}});
  p.board[EnPassantSquare] = 45;
  ExpectUpdateMatchesBuild(p, Move{44, 35, EnPassantMove, 0});

  p = MakePosition(
      {{21, EngineKing}, {98, OpponentKing}, {82, EnginePawn}, {93, OpponentRook}, {73, OpponentPawn}});
  ExpectUpdateMatchesBuild(p, Move{82, 93, CaptureMove, EngineQueen});
  ExpectUpdateMatchesBuild(p, Move{82, 92, QuietMove, EngineKnight});

  p = MakePosition(
      {{28, EngineKing}, {98, OpponentKing}, {32, OpponentPawn}, {21, EngineRook}, {43, EnginePawn}});
  ExpectUpdateMatchesBuild(p, Move{32, 21, CaptureMove, OpponentQueen});
  ExpectUpdateMatchesBuild(p, Move{32, 43, CaptureMove, 0});
}

}  // namespace
