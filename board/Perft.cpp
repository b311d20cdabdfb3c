#include "board/Perft.h"

#include "board/Assert.h"
#include "board/Legality.h"
#include "board/MakeMove.h"
#include "board/PositionKey.h"
#include "board/Validate.h"

bool MakeLegalChild(const Board &board, const EvalState &state, Move move, bool engineToMove, bool inCheck,
                    Board &child, EvalState &childState) {
  child = board;
  childState = state;
  uint8_t piece = board[move.from];
  uint8_t captured = move.kind == CaptureMove     ? board[move.to]
                     : move.kind == EnPassantMove ? (engineToMove ? OpponentPawn : EnginePawn)
                                                  : Empty;
  MakeMove(move, child, childState);
  if (state.positionKey != 0) childState.positionKey = UpdateKey(state.positionKey, move, piece, captured);
  return IsLegalAfterMove(child, move, engineToMove ? EngineSide : OpponentSide, inCheck);
}

EvalState PerftRoot(const Board &board) {
  EvalState state = RecountMaterial(board);
  state.positionKey = ComputeKey(board);
  return state;
}

uint64_t Perft(const Board &board, const EvalState &state, int depth, bool engineToMove) {
  if (depth == 0) return 1;
  uint64_t leaves = 0;
  ForEachLegalChild(board, state, engineToMove, [&](Move, const Board &child, const EvalState &childState) {
    KRELIN_ASSERT(EvalStateIsOk(child, childState));
    leaves += depth == 1 ? 1 : Perft(child, childState, depth - 1, !engineToMove);
  });
  return leaves;
}
