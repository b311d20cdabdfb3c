// The selective decisions of single nodes where the piece that moved is not the piece that now
// stands on the target (promotions), and where a move shares its squares with a killer of another
// piece: positions the bench total does not reach.
#include "board/EvalState.h"
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/Move.h"
#include "eval/Evaluate.h"
#include "eval/RootInputs.h"
#include "search/Selectivity.h"
#include "tests/search/SearchFixture.h"

namespace {

class SelectivityTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    PrepareSingleNodes(1);
  }

  // The depth the node at ply gets for move (by piece) made on the FEN position, with no
  // extension or credit on the path yet.
  int DepthAfter(const char *fen, int ply, Move move, uint8_t piece, bool givesCheck, EvalState &state) {
    Board board = EmptyBoard;
    EXPECT_TRUE(ReadFen(fen, board, Game.engineIsWhite)) << fen;
    state = ScanEvalState(board);
    MakeMove(move, board, state);
    state.extensionCount = 0;
    state.extensionCredit = 0;
    Tree.stack[ply - 2].move = NullMove;
    Tree.stack[ply - 1].inCheck = 0;
    int32_t bonusChange = 0;
    return AdjustDepth(Tree, board, state, ply, 5, move, piece, 0, givesCheck, bonusChange);
  }
};

// A pawn that promotes to a queen next to the enemy king gives the queen's check extension of two,
// though the king still has two flight squares (g8, h6).
TEST_F(SelectivityTest, PromotionToAQueenNextToTheKingExtendsAsAQueenCheck) {
  EvalState state;
  Move promotion{87, 97, QuietMove, EngineQueen};  // g7-g8=Q, the black king on h7
  EXPECT_EQ(DepthAfter("8/6Pk/8/8/8/8/8/K7 w - - 0 1", 2, promotion, EnginePawn, true, state), 4);
  EXPECT_EQ(state.extensionCount, 1);
}

// An opponent pawn promoting on c1 is a passed pawn of the opponent: the pawn of its own side on
// c5 behind it does not stop the extension.
TEST_F(SelectivityTest, PassedPawnOfTheOpponentAfterItsPromotion) {
  EvalState state;
  Move promotion{33, 23, QuietMove, OpponentQueen};  // c2-c1=Q
  EXPECT_EQ(DepthAfter("k7/8/8/2p5/7K/8/2p5/8 w - - 0 1", 3, promotion, OpponentPawn, false, state), 4);
  EXPECT_EQ(state.extensionCount, 1);

  // An engine pawn on a neighbouring file ahead stops it.
  Move push{53, 43, QuietMove, 0};  // c4-c3, a white pawn on b2
  EXPECT_EQ(DepthAfter("k7/8/8/7K/2p5/8/1P6/8 w - - 0 1", 3, push, OpponentPawn, false, state), 5);
}

// A cut-off by the bishop's killer in slot 0 moves it up, even though slot 3 holds the same squares
// for a queen.
TEST_F(SelectivityTest, KillerFromSlotZeroMovesUpPastAQueenOnTheSameSquares) {
  Board parent = EmptyBoard;
  ASSERT_TRUE(ReadFen("4k3/8/8/5b2/8/8/8/K7 w - - 0 1", parent, Game.engineIsWhite));
  const Move bishopMove = ParseMove("F5D3");
  Tree.stack[2].killers[3] = KillerSlot{bishopMove, OpponentQueen};
  Tree.stack[2].killers[0] = KillerSlot{bishopMove, OpponentBishop};
  Tree.horizon = 2;  // a full-width node at ply 2 over standing-pat children

  EvalState state = ScanEvalState(parent);
  SetGameFlowFlags(Tree.context, parent);
  SetRootValues(Tree.context, parent, state);
  EvaluateRoot(parent, state, Tree.context, NullMove);
  state.positionKey = ComputeKey(parent);
  Tree.stack[1].board = &parent;
  Tree.stack[1].key = state.positionKey;
  PrincipalLine line{};
  int32_t value = 0;
  bool legal = true;
  // The opponent's node at ply 2 after Ka1-a2: any move reaches the bound.
  Search(Tree, parent, 1, 0, 0, 30000, Infinite, state, ParseMove("A1A2"), line, value, legal);
  ASSERT_TRUE(legal);
  EXPECT_EQ(line.move[1], bishopMove);
  EXPECT_EQ(Tree.stack[2].killers[1].move, bishopMove);
  EXPECT_EQ(Tree.stack[2].killers[1].piece, OpponentBishop);
  EXPECT_EQ(Tree.stack[2].killers[3].piece, OpponentQueen);
}

}  // namespace
