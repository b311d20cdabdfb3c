#include "board/Perft.h"

#include "board/Legality.h"
#include "board/MakeMove.h"

bool MakeLegalChild(const Board &board, const EvalState &state, Move move, bool engineToMove, bool inCheck,
                    Board &child, EvalState &childState) {
  child = board;
  childState = state;
  MakeMove(move, child, childState);
  return IsLegalAfterMove(child, move, engineToMove ? EngineSide : OpponentSide, inCheck);
}

uint64_t Perft(const Board &board, const EvalState &state, int depth, bool engineToMove) {
  if (depth == 0) return 1;
  uint64_t leaves = 0;
  ForEachLegalChild(board, state, engineToMove, [&](Move, const Board &child, const EvalState &childState) {
    leaves += depth == 1 ? 1 : Perft(child, childState, depth - 1, !engineToMove);
  });
  return leaves;
}
