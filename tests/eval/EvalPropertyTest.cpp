// Incremental evaluation state against a fresh recomputation, over every position of a few hundred
// random legal games from several start positions: the pawn bitboards after UpdatePawnBits, the
// reuse of the pawn terms when the pawns did not change, and a board left as it was found. (The
// material fields MakeMove keeps are checked against a fresh count in the move tests.)
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "board/MakeMove.h"
#include "board/Perft.h"
#include "board/Setup.h"
#include "eval/Evaluate.h"
#include "eval/Pawns.h"
#include "eval/RootInputs.h"
#include "eval/Score.h"
#include "tests/board/MovesFixture.h"

namespace {

struct Child {
  Move move;
  Board board;
  EvalState state;
};

std::vector<Child> LegalChildren(const Board &board, const EvalState &state, bool engineToMove) {
  std::vector<Child> children;
  ForEachLegalChild(board, state, engineToMove,
                    [&](Move move, const Board &child, const EvalState &childState) {
                      children.push_back(Child{move, child, childState});
                    });
  return children;
}

// Evaluates as the search does at a node, checking that the board comes back untouched.
void EvaluateNode(Board &board, EvalState &state, const EvalContext &context, bool engineToMove,
                  Move lastMove, bool pawnsChanged) {
  Board before = board;
  Evaluate(board, state, engineToMove, lastMove, pawnsChanged, true, context);
  SumScore(board, state, context, 2, 2);
  ASSERT_EQ(std::memcmp(&before, &board, sizeof before), 0);
  ASSERT_LT(std::abs(state.totalScore), 32000);
}

// Plays random legal games from the position and checks every node; returns the positions seen.
int PlayRandomGames(Board start, int games, int maxPlies, std::mt19937 &random) {
  int positions = 0;
  for (int game = 0; game < games; game++) {
    Board board = start;
    EvalState state = ScanEvalState(board);
    EvalContext context{};
    SetGameFlowFlags(context, board);
    SetRootValues(context, board, state);
    EvaluateRoot(board, state, context, NullMove);
    bool engineToMove = true;
    for (int ply = 0; ply < maxPlies; ply++) {
      std::vector<Child> children = LegalChildren(board, state, engineToMove);
      if (children.empty()) break;
      Child &child = children[random() % children.size()];
      Move move = child.move;
      uint8_t captured = move.kind == EnPassantMove ? (engineToMove ? OpponentPawn : EnginePawn)
                         : move.kind == CaptureMove ? board[move.to]
                                                    : Empty;
      uint64_t parentEngineBits = child.state.enginePawnBits,
               parentOpponentBits = child.state.opponentPawnBits;
      UpdatePawnBits(move, captured, child.state, child.board);
      EvalState built{};
      BuildPawnBits(built, child.board);
      EXPECT_EQ(child.state.enginePawnBits, built.enginePawnBits) << "ply " << ply;
      EXPECT_EQ(child.state.opponentPawnBits, built.opponentPawnBits) << "ply " << ply;

      EvalState recomputed = child.state;
      EvaluateNode(child.board, recomputed, context, !engineToMove, move, true);
      if (built.enginePawnBits == parentEngineBits && built.opponentPawnBits == parentOpponentBits) {
        EvalState reused = child.state;
        EvaluateNode(child.board, reused, context, !engineToMove, move, false);
        EXPECT_EQ(std::memcmp(&reused, &recomputed, sizeof reused), 0) << "ply " << ply;
      }
      if (::testing::Test::HasFailure()) return positions;

      board = child.board;
      state = recomputed;
      engineToMove = !engineToMove;
      positions++;
    }
  }
  return positions;
}

using EvalPropertyTest = MovesTest;

TEST_F(EvalPropertyTest, IncrementalStateMatchesAFreshScanOverRandomGames) {
  static_assert(sizeof(EvalState) == 200, "EvalState compared byte for byte has no padding");
  std::mt19937 random(20240611);
  // The start position, a middle game rich in castling and en passant, and two positions where
  // pawns promote soon.
  const char *fens[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
  };
  int positions = PlayRandomGames(StartBoard, 150, 160, random);
  for (const char *fen : fens) {
    Board board;
    bool engineIsWhite = false;
    ASSERT_TRUE(ReadFen(fen, board, engineIsWhite)) << fen;
    positions += PlayRandomGames(board, 50, 120, random);
  }
  EXPECT_GT(positions, 10000);
}

}  // namespace
