// The krelin-dev eval tool, run as a program: the exact field list of the root evaluation.
#include <gtest/gtest.h>

#include <string>

#include "support/Scratch.h"

namespace {

ProcessResult RunEval(const std::string &fen) {
  ScratchDirectory scratch;
  return RunProgram({KRELIN_DEV_BINARY, "eval", fen}, scratch.Path(), "", 30);
}

// Worked out by hand: the sides' piece-square sums (-6 and +12), positional terms (knights +16 and
// -16, bishops -25 and +20, bad bishops -32 and +32), the castling paths (-30 and +30) cancel.
const char *const StartPositionFields =
    "positionKey 0 0\n"
    "reversibleCount 0\n"
    "extensionCount 0\n"
    "extensionCredit -5\n"
    "lazyReuse 0\n"
    "captureCredit 0\n"
    "harmlessQuietCount 0\n"
    "runnerCount 0\n"
    "futilityMargin 128000\n"
    "queenBalance 0\n"
    "rookBalance 0\n"
    "minorBalance 0\n"
    "enginePasserCount 0\n"
    "opponentPasserEnd 8\n"
    "enginePawnSquares 31 32 33 34 35 36 37 38\n"
    "opponentPawnSquares 81 82 83 84 85 86 87 88\n"
    "passerList 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
    "enginePawnMaterial 760\n"
    "opponentPawnMaterial 760\n"
    "engineMaterial 3850\n"
    "opponentMaterial 3850\n"
    "enginePieceMaterial 3090\n"
    "opponentPieceMaterial 3090\n"
    "positionalSum 1\n"
    "positionalAdjust 0\n"
    "doubledTerm 0\n"
    "pawnStructureTerm 0\n"
    "passedPawnTerm 0\n"
    "pieceSquareSum 6\n"
    "engineKingTerm 0\n"
    "opponentKingTerm 0\n"
    "engineKingDanger 0\n"
    "opponentKingDanger 0\n"
    "positionalTerm -5\n"
    "threatTerm 0\n"
    "engineBishopsOnColour1 1\n"
    "engineBishopsOnColour0 1\n"
    "opponentBishopsOnColour1 1\n"
    "opponentBishopsOnColour0 1\n"
    "enginePawnBits 144680345676153346\n"
    "opponentPawnBits 4629771061636907072\n"
    "totalScore 1\n";

TEST(DevEvalTest, StartPositionFromEitherSide) {
  ProcessResult white = RunEval("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(white.exitStatus, 0) << white.err;
  EXPECT_EQ(white.out, StartPositionFields);
  // With Black to move the engine is Black and sees the same board from its side.
  EXPECT_EQ(RunEval("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1").out, StartPositionFields);
  EXPECT_EQ(RunEval("8/8/8/8/8/8/8/8 x - - 0 1").out, "") << "a bad FEN is refused";
}

TEST(DevEvalTest, PassersPrintSignedAndTheBoardIsSeenFromTheSideToMove) {
  // A lone pawn a2 (White to move) and a7 (Black to move) are both the engine's pawn on 31, loose.
  for (const char *fen : {"4k3/8/8/8/8/8/P7/4K3 w - - 0 1", "4k3/p7/8/8/8/8/8/4K3 b - - 0 1"}) {
    std::string out = RunEval(fen).out;
    for (const char *field : {"\nenginePawnSquares 31 0 0 0 0 0 0 0\n", "\npasserList -31 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n",
                              "\nenginePawnBits 2\n"})
      EXPECT_NE(out.find(field), std::string::npos) << fen << field;
  }
}


}  // namespace
