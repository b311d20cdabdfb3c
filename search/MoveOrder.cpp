#include "search/MoveOrder.h"

#include <cstdlib>

#include "board/Geometry.h"
#include "board/Squares.h"
#include "search/Search.h"

void ClearKillers(SearchThread &t) {
  for (int ply = 0; ply < KillerPlies; ply++)
    for (KillerSlot &slot : t.stack[ply].killers) slot = KillerSlot{NullMove, 0};
}

// The killer can be played here: the same piece on its origin, an empty target, a clear path for
// a slider and an empty middle square for a pawn's double step.
static bool StillPlayable(const Board &board, const KillerSlot &killer) {
  const Move &move = killer.move;
  if (board[move.from] != killer.piece || board[move.to] != Empty) return false;
  switch (killer.piece) {
    case EnginePawn:
    case OpponentPawn: {
      int step = move.to - move.from;
      return std::abs(step) != 2 * Up || board[move.from + step / 2] == Empty;
    }
    case EngineBishop:
    case OpponentBishop:
    case EngineRook:
    case OpponentRook:
    case EngineQueen:
    case OpponentQueen: {
      int direction = RayDirection(move.to - move.from);
      if (direction == 0) return false;
      for (int s = move.from + direction; s != move.to; s += direction)
        if (board[s] != Empty) return false;
      return true;
    }
    default:
      return true;  // knight and king steps need only the empty target
  }
}

Move PickKiller(const SearchThread &t, const Board &board, int killerPly, int slot, TriedMoves &tried) {
  const KillerSlot &killer = t.stack[killerPly].killers[slot];
  if (killer.move.IsNull() || killer.move.kind != QuietMove) return NullMove;
  if (!StillPlayable(board, killer) || WasTried(tried, killer.move)) return NullMove;
  AddTriedMove(tried, killer.move);
  return killer.move;
}

void UpdateKillers(SearchThread &t, int ply, Move move, uint8_t piece) {
  if (ply <= QuietSeenPly) t.quietSeen[move.from][move.to] = true;
  KillerSlot *slots = t.stack[ply].killers;
  for (int i = KillerSlots - 1; i >= 0; i--) {
    if (slots[i].move == move && slots[i].piece == piece) {
      if (i < KillerSlots - 1) {
        slots[i] = slots[i + 1];
        slots[i + 1] = KillerSlot{move, piece};
      }
      return;
    }
  }
  slots[0] = KillerSlot{move, piece};
}

bool PassesEvasionFilter(const SearchThread &t, const Board &board, int ply, Move move) {
  if (move.kind == CastlingMove) return false;
  if (move.kind == CaptureMove || move.kind == EnPassantMove) return true;
  Move check = t.stack[ply - 1].move;
  if (check.kind == 0 || check.kind == CastlingMove || check.kind == EnPassantMove) return true;
  uint8_t piece = board[move.from];
  if (piece == EngineKing || piece == OpponentKing) return true;
  int king = board[ply % 2 == 1 ? EngineKingSquare : OpponentKingSquare];
  int line = RayDirection(move.to - king);
  if (line == 0) return false;
  int checker = check.to;
  if (RayDirection(checker - king) == line && Distance[king][move.to] < Distance[king][checker]) return true;
  return RayDirection(check.from - king) == line;  // a discovered check
}
