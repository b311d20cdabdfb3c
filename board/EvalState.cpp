#include "board/EvalState.h"

#include "board/Board.h"
#include "board/Geometry.h"

static void CountBishop(EvalState &state, bool engine, int square, int change) {
  bool colour1 = SquareColour[square] > 0;
  if (engine)
    (colour1 ? state.engineBishopsOnColour1 : state.engineBishopsOnColour0) += change;
  else
    (colour1 ? state.opponentBishopsOnColour1 : state.opponentBishopsOnColour0) += change;
}

void CountPieceChange(EvalState &state, uint8_t piece, int square, int change) {
  int sign = SideOf(piece) == EngineSide ? change : -change;
  switch (piece) {
    case EngineQueen:
    case OpponentQueen:
      state.queenBalance += sign;
      break;
    case EngineRook:
    case OpponentRook:
      state.rookBalance += sign;
      break;
    case EngineBishop:
    case OpponentBishop:
      CountBishop(state, piece == EngineBishop, square, change);
      state.minorBalance += sign;
      break;
    case EngineKnight:
    case OpponentKnight:
      state.minorBalance += sign;
      break;
    default:
      break;
  }
}
