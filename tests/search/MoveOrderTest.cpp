#include <vector>

#include "search/MoveOrder.h"
#include "tests/board/MovesFixture.h"
#include "tests/search/SearchFixture.h"

namespace {

using MoveOrderTest = SearchTest;

Move Quiet(int from, int to) { return Move{Square(from), Square(to), QuietMove, 0}; }

constexpr int KillerPly = 4;

std::vector<Move> KillerMoves(int ply) {
  std::vector<Move> moves;
  for (const KillerSlot &slot : Tree.killerTable[ply]) moves.push_back(slot.move);
  return moves;
}

TEST_F(MoveOrderTest, NewKillerReplacesSlotZeroAndClimbsOneSlotPerCutOff) {
  const Move k0 = Quiet(22, 43), k1 = Quiet(27, 46), k2 = Quiet(32, 42), k3 = Quiet(25, 26);
  const Move fresh = Quiet(21, 24);
  Tree.killerTable[KillerPly][0] = {k0, EngineKnight};
  Tree.killerTable[KillerPly][1] = {k1, EngineKnight};
  Tree.killerTable[KillerPly][2] = {k2, EnginePawn};
  Tree.killerTable[KillerPly][3] = {k3, EngineKing};

  UpdateKillers(KillerPly, fresh, EngineRook);
  EXPECT_EQ(KillerMoves(KillerPly), (std::vector<Move>{fresh, k1, k2, k3}));
  UpdateKillers(KillerPly, fresh, EngineRook);
  EXPECT_EQ(KillerMoves(KillerPly), (std::vector<Move>{k1, fresh, k2, k3}));
  UpdateKillers(KillerPly, fresh, EngineRook);
  EXPECT_EQ(KillerMoves(KillerPly), (std::vector<Move>{k1, k2, fresh, k3}));
  UpdateKillers(KillerPly, fresh, EngineRook);
  EXPECT_EQ(KillerMoves(KillerPly), (std::vector<Move>{k1, k2, k3, fresh}));
  UpdateKillers(KillerPly, fresh, EngineRook);  // the strongest stays where it is
  EXPECT_EQ(KillerMoves(KillerPly), (std::vector<Move>{k1, k2, k3, fresh}));
  EXPECT_EQ(Tree.killerTable[KillerPly][3].piece, EngineRook);

  // The same squares made by another piece are another killer.
  UpdateKillers(KillerPly, fresh, EngineQueen);
  EXPECT_EQ(KillerMoves(KillerPly), (std::vector<Move>{fresh, k2, k3, fresh}));
  EXPECT_EQ(Tree.killerTable[KillerPly][0].piece, EngineQueen);
  EXPECT_TRUE(KillerMoves(KillerPly + 2)[0].IsNull());  // other plies untouched
  EXPECT_TRUE(Tree.quietSeen[21][24]);                  // near the root a killer is also marked as seen
  UpdateKillers(6, Quiet(22, 43), EngineKnight);
  EXPECT_FALSE(Tree.quietSeen[22][43]);
}

TEST_F(MoveOrderTest, KillerMustStillBePlayableHere) {
  // Engine: king e1, rook a1, knight g1, pawns a2 and b2; opponent: king e8, knight on f3.
  Board board = PiecesBoard({{25, EngineKing},
                             {21, EngineRook},
                             {27, EngineKnight},
                             {31, EnginePawn},
                             {32, EnginePawn},
                             {95, OpponentKing},
                             {46, OpponentKnight}});
  auto pick = [&](Move move, uint8_t piece) {
    Tree.killerTable[KillerPly][1] = {move, piece};
    TriedMoves tried{};
    return PickKiller(board, KillerPly, 1, tried);
  };
  EXPECT_EQ(pick(Quiet(27, 37), EngineKnight), Quiet(27, 37));  // knight: only the target counts
  EXPECT_TRUE(pick(Quiet(27, 46), EngineKnight).IsNull());      // target occupied
  EXPECT_TRUE(pick(Quiet(22, 43), EngineKnight).IsNull());      // the piece has gone
  EXPECT_TRUE(pick(Quiet(27, 37), EngineBishop).IsNull());      // another piece stands there
  EXPECT_TRUE(pick(Quiet(21, 61), EngineRook).IsNull());        // path through a2
  EXPECT_EQ(pick(Quiet(21, 24), EngineRook), Quiet(21, 24));
  EXPECT_EQ(pick(Quiet(32, 52), EnginePawn), Quiet(32, 52));
  board[42] = OpponentKnight;
  EXPECT_TRUE(pick(Quiet(32, 52), EnginePawn).IsNull());                     // double step over a piece
  EXPECT_TRUE(pick((Move{27, 46, CaptureMove, 0}), EngineKnight).IsNull());  // never a capture

  Tree.killerTable[KillerPly][1] = {Quiet(21, 24), EngineRook};
  TriedMoves tried{};
  EXPECT_EQ(PickKiller(board, KillerPly, 1, tried), Quiet(21, 24));
  EXPECT_TRUE(WasTried(tried, Quiet(21, 24)));
  EXPECT_TRUE(PickKiller(board, KillerPly, 1, tried).IsNull());  // not twice in one node
  EXPECT_TRUE(PickKiller(board, KillerPly, 2, tried).IsNull());  // an empty slot
}

// The engine's king on e1 in check at ply 3, from the opponent's move into that ply.
class EvasionFilterTest : public MoveOrderTest {
 protected:
  bool Passes(Move check, Move move) {
    Tree.plyMove[2] = check;
    return PassesEvasionFilter(board_, 3, move);
  }
  // Engine: king e1, rooks a1 and h1, h3, h4 and h5, knight g1; opponent: king h8.
  Board board_ = PiecesBoard({{25, EngineKing},
                              {21, EngineRook},
                              {28, EngineRook},
                              {48, EngineRook},
                              {58, EngineRook},
                              {68, EngineRook},
                              {27, EngineKnight},
                              {98, OpponentKing}});
};

TEST_F(EvasionFilterTest, RookCheckIsAnsweredByBlocksOnTheLineCapturesAndKingMoves) {
  const Move rookCheck{51, 55, QuietMove, 0};  // a rook from a4 to e4
  board_[55] = OpponentRook;
  EXPECT_TRUE(Passes(rookCheck, Quiet(48, 45)));   // Rh3-e3 blocks
  EXPECT_TRUE(Passes(rookCheck, Quiet(27, 35)));   // Ng1-e2 blocks
  EXPECT_FALSE(Passes(rookCheck, Quiet(48, 44)));  // d3: on no line with the king
  EXPECT_FALSE(Passes(rookCheck, Quiet(27, 46)));
  EXPECT_FALSE(Passes(rookCheck, Quiet(68, 65)));  // e5: on the line, beyond the rook
  EXPECT_TRUE(Passes(rookCheck, Quiet(25, 34)));   // the king steps aside
  EXPECT_TRUE(Passes(rookCheck, (Move{58, 55, CaptureMove, 0})));
  EXPECT_FALSE(Passes(rookCheck, (Move{25, 27, CastlingMove, 0})));
  EXPECT_FALSE(Passes(rookCheck, (Move{25, 23, CastlingMove, 0})));

  // At an even ply the opponent's king is the one in check: a rook checks it on e8 from e4.
  Board board = PiecesBoard({{25, EngineKing}, {95, OpponentKing}, {88, OpponentRook}, {55, EngineRook}});
  Tree.plyMove[1] = rookCheck;
  EXPECT_TRUE(PassesEvasionFilter(board, 2, Quiet(88, 85)));
  EXPECT_FALSE(PassesEvasionFilter(board, 2, Quiet(88, 86)));
}

TEST_F(EvasionFilterTest, KnightCheckCannotBeBlocked) {
  board_[44] = OpponentKnight;
  const Move knightCheck{63, 44, QuietMove, 0};  // Nc5-d3
  EXPECT_FALSE(Passes(knightCheck, Quiet(48, 45)));
  EXPECT_FALSE(Passes(knightCheck, Quiet(27, 35)));
  EXPECT_TRUE(Passes(knightCheck, (Move{48, 44, CaptureMove, 0})));
  EXPECT_TRUE(Passes(knightCheck, Quiet(25, 26)));
  EXPECT_FALSE(Passes(knightCheck, (Move{25, 27, CastlingMove, 0})));
}

}  // namespace
