#include "board/Validate.h"

#include <cstdio>
#include <cstdlib>

#include "board/Assert.h"
#include "board/Geometry.h"
#include "board/PositionKey.h"

void AssertionFailed(const char *condition, const char *file, int line) {
  std::fprintf(stderr, "%s:%d: assertion failed: %s\n", file, line, condition);
  std::abort();
}

constexpr int MaxMenPerSide = 16;

static bool IsPieceCode(uint8_t content) {
  switch (content) {
    case EngineKnight:
    case OpponentKnight:
    case EngineBishop:
    case OpponentBishop:
    case EngineRook:
    case OpponentRook:
    case EngineQueen:
    case OpponentQueen:
    case EngineKing:
    case OpponentKing:
    case EnginePawn:
    case OpponentPawn:
      return true;
    default:
      return false;
  }
}

static bool IsPawnCode(uint8_t content) { return content == EnginePawn || content == OpponentPawn; }

// The border, the two sentinels and nothing but pieces or empty squares on the board.
static bool CellsAreOk(const Board &board) {
  for (int index = 0; index < 120; index++) {
    uint8_t content = board[index];
    if (!IsPlayingSquare(index)) {
      if (content != (index == 20 || index == 99 ? Sentinel : Border)) return false;
    } else if (content != Empty && !IsPieceCode(content)) {
      return false;
    } else if (IsPawnCode(content) && (RankOf[index] == 1 || RankOf[index] == 8)) {
      return false;
    }
  }
  return true;
}

static bool MenAndKingsAreOk(const Board &board) {
  int men[4] = {}, kings[4] = {};
  for (int square = 21; square <= 98; square++) {
    uint8_t content = board[square];
    if (content == Empty || SideOf(content) == OffBoardSide) continue;
    men[SideOf(content)]++;
    if (content == EngineKing || content == OpponentKing) kings[SideOf(content)]++;
  }
  return kings[EngineSide] == 1 && kings[OpponentSide] == 1 && men[EngineSide] <= MaxMenPerSide &&
         men[OpponentSide] <= MaxMenPerSide && board[board[EngineKingSquare]] == EngineKing &&
         board[board[OpponentKingSquare]] == OpponentKing;
}

// A castling right needs the king on its start square and the rook in its corner: bit 1 the king
// side's rook, bit 2 the queen side's. The opponent's back row is row 9, its pieces the even codes.
static bool RightsAreOk(const Board &board, int rightsIndex, int kingSquare, uint8_t king, uint8_t rook) {
  uint8_t rights = board[rightsIndex];
  if (rights > 3) return false;
  if (rights != 0 && board[kingSquare] != king) return false;
  if ((rights & 1) && board[kingSquare + 3] != rook) return false;
  return !(rights & 2) || board[kingSquare - 4] == rook;
}

// The pawn of the last double step: the engine's on its fourth row, the opponent's on its own.
static bool EnPassantIsOk(const Board &board) {
  int square = board[EnPassantSquare];
  if (square == 0) return true;
  if (!IsPlayingSquare(square)) return false;
  return (RankOf[square] == 4 && board[square] == EnginePawn) ||
         (RankOf[square] == 5 && board[square] == OpponentPawn);
}

bool BoardIsOk(const Board &board) {
  return CellsAreOk(board) && MenAndKingsAreOk(board) &&
         RightsAreOk(board, EngineRights, 25, EngineKing, EngineRook) &&
         RightsAreOk(board, OpponentRights, 95, OpponentKing, OpponentRook) && EnPassantIsOk(board);
}

bool MoveIsOk(const Board &board, Move move) {
  int from = move.from, to = move.to;
  if (!IsPlayingSquare(from) || !IsPlayingSquare(to) || from == to) return false;
  uint8_t piece = board[from], target = board[to];
  int side = SideOf(piece);
  if (piece == Empty || side == OffBoardSide) return false;
  bool engine = side == EngineSide;
  bool pawn = IsPawnCode(piece);
  int lastRank = engine ? 8 : 1;
  if (move.promotion != 0) {
    bool promotionOk = move.promotion != (engine ? EngineKing : OpponentKing) &&
                       !IsPawnCode(move.promotion) && IsPieceCode(move.promotion) &&
                       SideOf(move.promotion) == side;
    if (!pawn || RankOf[to] != lastRank || !promotionOk) return false;
  } else if (pawn && RankOf[to] == lastRank) {
    return false;
  }
  switch (move.kind) {
    case QuietMove:
      return target == Empty;
    case CaptureMove:
      return SideOf(target) == (engine ? OpponentSide : EngineSide) && target != EngineKing &&
             target != OpponentKing;
    case EnPassantMove:  // the enemy pawn stands behind the destination as the capturer sees it
      return pawn && target == Empty &&
             board[engine ? to - 10 : to + 10] == (engine ? OpponentPawn : EnginePawn);
    case CastlingMove: {  // the right for that wing (bit 1 king side, bit 2 queen side)
      uint8_t rights = board[engine ? EngineRights : OpponentRights];
      return piece == (engine ? EngineKing : OpponentKing) && from == (engine ? 25 : 95) &&
             ((to == from + 2 && (rights & 1)) || (to == from - 2 && (rights & 2)));
    }
    default:
      return false;
  }
}

EvalState RecountMaterial(const Board &board) {
  EvalState state{};
  for (int square = 21; square <= 98; square++) {
    uint8_t piece = board[square];
    if (piece == Empty || SideOf(piece) == OffBoardSide || piece == EngineKing || piece == OpponentKing)
      continue;
    bool engine = SideOf(piece) == EngineSide;
    if (piece == EnginePawn) state.enginePawnMaterial += PieceValue[piece];
    if (piece == OpponentPawn) state.opponentPawnMaterial += PieceValue[piece];
    if (!IsPawnCode(piece))
      CountPieceChange(state, piece, square, +1);  // the balances and the bishops' colours
    (engine ? state.engineMaterial : state.opponentMaterial) += PieceValue[piece];
  }
  state.enginePieceMaterial = state.engineMaterial - state.enginePawnMaterial;
  state.opponentPieceMaterial = state.opponentMaterial - state.opponentPawnMaterial;
  return state;
}

bool EvalStateIsOk(const Board &board, const EvalState &state) {
  EvalState counted = RecountMaterial(board);
  return state.engineMaterial == counted.engineMaterial &&
         state.opponentMaterial == counted.opponentMaterial &&
         state.enginePawnMaterial == counted.enginePawnMaterial &&
         state.opponentPawnMaterial == counted.opponentPawnMaterial &&
         state.enginePieceMaterial == counted.enginePieceMaterial &&
         state.opponentPieceMaterial == counted.opponentPieceMaterial &&
         state.queenBalance == counted.queenBalance && state.rookBalance == counted.rookBalance &&
         state.minorBalance == counted.minorBalance &&
         state.engineBishopsOnColour1 == counted.engineBishopsOnColour1 &&
         state.engineBishopsOnColour0 == counted.engineBishopsOnColour0 &&
         state.opponentBishopsOnColour1 == counted.opponentBishopsOnColour1 &&
         state.opponentBishopsOnColour0 == counted.opponentBishopsOnColour0 &&
         (state.positionKey == 0 || state.positionKey == ComputeKey(board));
}
