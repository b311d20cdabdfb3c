// krelin-dev eval FEN: every EvalState field of the position as the engine sees it at the root of
// a search (the side to move is the engine, no move led here, no book, no draw pull, no path bonus
// yet), one "name value" line each in the record's order, totalScore last.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "board/EvalState.h"
#include "board/Move.h"
#include "board/Setup.h"
#include "eval/Evaluate.h"
#include "eval/RootInputs.h"
#include "tools/DevCommand.h"

static void PrintField(const char *name, int64_t value) { std::printf("%s %" PRId64 "\n", name, value); }

template <typename T, size_t N>
static void PrintArray(const char *name, const T (&values)[N]) {
  std::printf("%s", name);
  for (T value : values) std::printf(" %d", int(value));
  std::printf("\n");
}

static void PrintEvalState(const EvalState &state) {
  std::printf("positionKey %" PRIu32 " %" PRIu32 "\n", uint32_t(state.positionKey),
              uint32_t(state.positionKey >> 32));
  PrintField("reversibleCount", state.reversibleCount);
  PrintField("extensionCount", state.extensionCount);
  PrintField("extensionCredit", state.extensionCredit);
  PrintField("lazyReuse", state.lazyReuse);
  PrintField("captureCredit", state.captureCredit);
  PrintField("harmlessQuietCount", state.harmlessQuietCount);
  PrintField("runnerCount", state.runnerCount);
  PrintField("futilityMargin", state.futilityMargin);
  PrintField("queenBalance", state.queenBalance);
  PrintField("rookBalance", state.rookBalance);
  PrintField("minorBalance", state.minorBalance);
  PrintField("enginePasserCount", state.enginePasserCount);
  PrintField("opponentPasserEnd", state.opponentPasserEnd);
  PrintArray("enginePawnSquares", state.enginePawnSquares);
  PrintArray("opponentPawnSquares", state.opponentPawnSquares);
  PrintArray("passerList", state.passerList);
  PrintField("enginePawnMaterial", state.enginePawnMaterial);
  PrintField("opponentPawnMaterial", state.opponentPawnMaterial);
  PrintField("engineMaterial", state.engineMaterial);
  PrintField("opponentMaterial", state.opponentMaterial);
  PrintField("enginePieceMaterial", state.enginePieceMaterial);
  PrintField("opponentPieceMaterial", state.opponentPieceMaterial);
  PrintField("positionalSum", state.positionalSum);
  PrintField("positionalAdjust", state.positionalAdjust);
  PrintField("doubledTerm", state.doubledTerm);
  PrintField("pawnStructureTerm", state.pawnStructureTerm);
  PrintField("passedPawnTerm", state.passedPawnTerm);
  PrintField("pieceSquareSum", state.pieceSquareSum);
  PrintField("engineKingTerm", state.engineKingTerm);
  PrintField("opponentKingTerm", state.opponentKingTerm);
  PrintField("engineKingDanger", state.engineKingDanger);
  PrintField("opponentKingDanger", state.opponentKingDanger);
  PrintField("positionalTerm", state.positionalTerm);
  PrintField("threatTerm", state.threatTerm);
  PrintField("engineBishopsOnColour1", state.engineBishopsOnColour1);
  PrintField("engineBishopsOnColour0", state.engineBishopsOnColour0);
  PrintField("opponentBishopsOnColour1", state.opponentBishopsOnColour1);
  PrintField("opponentBishopsOnColour0", state.opponentBishopsOnColour0);
  std::printf("enginePawnBits %" PRIu64 "\n", state.enginePawnBits);
  std::printf("opponentPawnBits %" PRIu64 "\n", state.opponentPawnBits);
  PrintField("totalScore", state.totalScore);
}

static int EvalCommand(const std::vector<std::string> &args) {
  if (args.empty()) {
    std::fprintf(stderr, "usage: krelin-dev eval FEN\n");
    return 2;
  }
  std::string fen;
  for (const std::string &word : args) fen += (fen.empty() ? "" : " ") + word;
  DevInitTables();
  Board board;
  bool engineIsWhite = false;
  if (!ReadFen(fen, board, engineIsWhite)) {
    std::fprintf(stderr, "krelin-dev eval: position refused: %s\n", fen.c_str());
    return 1;
  }
  EvalState state = ScanEvalState(board);
  state.extensionCredit = RootExtensionCredit;
  EvalContext context{};  // DrawishCap 0; lazyReuse is 0 at the root, so the lazy depth is not read
  SetGameFlowFlags(context, board);
  SetRootValues(context, board, state);
  EvaluateRoot(board, state, context, NullMove);
  PrintEvalState(state);
  return 0;
}

static DevCommand reg("eval", "FEN", EvalCommand);
