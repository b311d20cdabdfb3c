#include "board/MakeMove.h"

#include <cstdlib>
#include <initializer_list>

#include "board/EvalState.h"
#include "board/Geometry.h"
#include "board/Move.h"

MoveFlags GPawnWatch;

// The evaluation's terms that only the move maker sees, as path bonuses from the engine's side:
// castling, or losing the last castling right, while the other side still has pieces to attack
// with; and the g-pawn advanced from in front of its king.
constexpr int32_t CastledBonus = 25;
constexpr int32_t LostRightsPenalty = 10;
constexpr int32_t CastlingMaterialGate = 1650;
constexpr int32_t GPawnAdvancePenalty = 30;

// The flags are computed from the game position before each search: a king that stands on g1 or
// h1 (from its own side) is sheltered by its g-pawn, so advancing that pawn to the fourth row costs
// the side 30 points of path bonus during the search.
void SetGPawnWatch(const Board &gameBoard) {
  GPawnWatch.engineGPawnWatch = gameBoard[EngineKingSquare] == 27 || gameBoard[EngineKingSquare] == 28;
  GPawnWatch.opponentGPawnWatch = gameBoard[OpponentKingSquare] == 97 || gameBoard[OpponentKingSquare] == 98;
}

void ClearGPawnWatch() { GPawnWatch = MoveFlags{}; }

// ---------------------------------------------------------------------------------------------
// Making a move. MakeMove and ApplyMove share one body; ApplyMove leaves out everything that
// touches the EvalState (material, the g-pawn and castling terms).

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

// The engine's moves. A capture onto the opponent's rook corner takes that right away.
template <bool KeepState>
static void MakeEngineSide(Move move, uint8_t piece, Board &board, EvalState &state) {
  int from = move.from, to = move.to;
  switch (move.kind) {
    case QuietMove:
      if (piece != EnginePawn) break;
      if (from < 40 && to > 50 && (board[to - 1] == OpponentPawn || board[to + 1] == OpponentPawn))
        board[EnPassantSquare] = uint8_t(to);
      if (KeepState && to == 57 && GPawnWatch.engineGPawnWatch) state.positionalAdjust -= GPawnAdvancePenalty;
      break;
    case EnPassantMove:
      board[to - 10] = Empty;
      if (KeepState) {
        state.opponentMaterial -= 95;
        state.opponentPawnMaterial -= 95;
      }
      break;
    case CaptureMove: {
      uint8_t captured = board[to];
      if (KeepState) {
        state.opponentMaterial -= PieceValue[captured];
        if (captured == OpponentPawn) state.opponentPawnMaterial -= 95;
        CountPieceChange(state, captured, to, -1);
      }
      if (board[OpponentRights] != 0) {
        if (to == 91) board[OpponentRights] &= 1;
        if (to == 98) board[OpponentRights] &= 2;
      }
      break;
    }
    default:  // castling: the rook jumps over the king
      if (to == 23) {
        board[24] = EngineRook;
        board[21] = Empty;
      } else {
        board[26] = EngineRook;
        board[28] = Empty;
      }
      break;
  }
  if (piece == EngineRook && board[EngineRights] != 0) {
    if (from == 21) board[EngineRights] &= 1;
    if (from == 28) board[EngineRights] &= 2;
  }
  if (piece == EngineKing) {
    board[EngineKingSquare] = uint8_t(to);
    board[EngineRights] = 0;
  }
}

// The opponent's moves, the mirror image of the engine's.
template <bool KeepState>
static void MakeOpponentSide(Move move, uint8_t piece, Board &board, EvalState &state) {
  int from = move.from, to = move.to;
  switch (move.kind) {
    case QuietMove:
      if (piece != OpponentPawn) break;
      if (from > 80 && to < 70 && (board[to - 1] == EnginePawn || board[to + 1] == EnginePawn))
        board[EnPassantSquare] = uint8_t(to);
      if (KeepState && to == 67 && GPawnWatch.opponentGPawnWatch)
        state.positionalAdjust += GPawnAdvancePenalty;
      break;
    case EnPassantMove:
      board[to + 10] = Empty;
      if (KeepState) {
        state.engineMaterial -= 95;
        state.enginePawnMaterial -= 95;
      }
      break;
    case CaptureMove: {
      uint8_t captured = board[to];
      if (KeepState) {
        state.engineMaterial -= PieceValue[captured];
        if (captured == EnginePawn) state.enginePawnMaterial -= 95;
        CountPieceChange(state, captured, to, -1);
      }
      if (board[EngineRights] != 0) {
        if (to == 21) board[EngineRights] &= 1;
        if (to == 28) board[EngineRights] &= 2;
      }
      break;
    }
    default:
      if (to == 93) {
        board[94] = OpponentRook;
        board[91] = Empty;
      } else {
        board[96] = OpponentRook;
        board[98] = Empty;
      }
      break;
  }
  if (piece == OpponentRook && board[OpponentRights] != 0) {
    if (from == 91) board[OpponentRights] &= 1;
    if (from == 98) board[OpponentRights] &= 2;
  }
  if (piece == OpponentKing) {
    board[OpponentKingSquare] = uint8_t(to);
    board[OpponentRights] = 0;
  }
}

template <bool KeepState>
static void Make(Move move, Board &board, EvalState &state) {
  board[EnPassantSquare] = 0;
  if (move.kind == 0) return;
  int from = move.from, to = move.to;
  uint8_t piece = board[from];
  uint8_t engineRightsBefore = board[EngineRights];
  uint8_t opponentRightsBefore = board[OpponentRights];

  if (SideOf(piece) == EngineSide)
    MakeEngineSide<KeepState>(move, piece, board, state);
  else if (SideOf(piece) == OpponentSide)
    MakeOpponentSide<KeepState>(move, piece, board, state);

  // Promotion: the row of the destination tells which side promotes.
  uint8_t promotion = move.promotion;
  if (promotion != 0) {
    board[to] = promotion;
    if (KeepState) {
      if (to > 90) {
        state.enginePawnMaterial -= 95;
        state.engineMaterial += PieceValue[promotion] - 95;
      } else {
        state.opponentPawnMaterial -= 95;
        state.opponentMaterial += PieceValue[promotion] - 95;
      }
      CountPieceChange(state, promotion, to, +1);
    }
  } else {
    board[to] = piece;
  }
  board[from] = Empty;
  if (!KeepState) return;

  state.enginePieceMaterial = state.engineMaterial - state.enginePawnMaterial;
  state.opponentPieceMaterial = state.opponentMaterial - state.opponentPawnMaterial;

  // Castling terms: losing the last right while the other side still has pieces to attack with is
  // worth less than having castled.
  if (engineRightsBefore != 0 && board[EngineRights] == 0 &&
      state.opponentPieceMaterial >= CastlingMaterialGate)
    state.positionalAdjust += move.kind == CastlingMove ? CastledBonus : -LostRightsPenalty;
  if (opponentRightsBefore != 0 && board[OpponentRights] == 0 &&
      state.enginePieceMaterial >= CastlingMaterialGate)
    state.positionalAdjust += move.kind == CastlingMove ? -CastledBonus : LostRightsPenalty;
}

void MakeMove(Move move, Board &board, EvalState &state) { Make<true>(move, board, state); }

void ApplyMove(Move move, Board &board) {
  EvalState unused;
  Make<false>(move, board, unused);
}
