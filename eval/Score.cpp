#include "eval/Score.h"

#include <algorithm>

#include "board/Geometry.h"

// clang-format off
const SquareTable EdgeTable = TableFromRows(9, {
  {4, 2, 2, 2, 2, 2, 2, 4},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {4, 2, 2, 2, 2, 2, 2, 4},
});
const SquareTable CornerOf = TableFromRows(9, {
  {91, 91,  0,  0,  0,  0, 98, 98},
  {91, 91,  0,  0,  0,  0, 98, 98},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  {21, 21,  0,  0,  0,  0, 28, 28},
  {21, 21,  0,  0,  0,  0, 28, 28},
});
// clang-format on

// Piece material above which, for both sides, no endgame scaling applies.
constexpr int32_t ScalingPieceMaterial = 1690;

static bool Occupied(const Board &board, int square) { return board[square] != Empty; }

static int32_t KingWeighted(int32_t term) { return term + term / 4; }

static int SquareParity(int square) { return (FileOf[square] + RankOf[square]) % 2; }

// The last engine bishop and the last opponent bishop of a scan 21..98 stand on different colours.
static bool OppositeBishops(const Board &board) {
  int engineBishop = 0, opponentBishop = 0;
  for (int s = 21; s <= 98; s++) {
    if (board[s] == EngineBishop) engineBishop = s;
    if (board[s] == OpponentBishop) opponentBishop = s;
  }
  return engineBishop != 0 && opponentBishop != 0 &&
         SquareParity(engineBishop) != SquareParity(opponentBishop);
}

// The parity of the first bishop of that code from square 21 upwards, or -1 without one.
static int FirstBishopParity(const Board &board, uint8_t bishop) {
  for (int s = 21; s <= 98; s++)
    if (board[s] == bishop) return SquareParity(s);
  return -1;
}

// All of a side's pawns (pawnMaterial / 95 of them) stand on the given column.
static bool AllPawnsOnColumn(const Board &board, uint8_t pawn, int column, int32_t pawnMaterial) {
  int count = 0;
  for (int s = 30 + column; s <= 90 + column; s += 10)
    if (board[s] == pawn) count++;
  return count * PieceValue[pawn] == pawnMaterial;
}

// A rook pawn, perhaps with a bishop that does not control the queening corner, against a king
// in that corner: a draw. cornerA and cornerB are the two queening corners of the pawn side, on
// columns 1 and 8; wrongParityA is the bishop parity that fails to control cornerA.
static bool WrongRookPawnCorner(const Board &board, int corner, int cornerA, int cornerB, uint8_t pawn,
                                uint8_t bishop, int32_t pieceMaterial, int32_t pawnMaterial) {
  int wrongParityA = 1 - SquareParity(cornerA), wrongParityB = 1 - SquareParity(cornerB);
  if (pieceMaterial == 310) {
    int parity = FirstBishopParity(board, bishop);
    return (corner == cornerA && AllPawnsOnColumn(board, pawn, 1, pawnMaterial) && parity == wrongParityA) ||
           (corner == cornerB && AllPawnsOnColumn(board, pawn, 8, pawnMaterial) && parity == wrongParityB);
  }
  if (pieceMaterial == 0)
    return (corner == cornerA && AllPawnsOnColumn(board, pawn, 1, pawnMaterial)) ||
           (corner == cornerB && AllPawnsOnColumn(board, pawn, 8, pawnMaterial));
  return false;
}

// The opponent is ahead (v < 0).
static int32_t ScaleOpponentAdvantage(const Board &board, const EvalState &state, int32_t v) {
  const int32_t enginePieces = state.enginePieceMaterial, opponentPieces = state.opponentPieceMaterial;
  const int32_t opponentPawns = state.opponentPawnMaterial;
  if (state.runnerCount > 0) v = v / 16;
  if (opponentPawns < 191) {
    if (opponentPawns == 95) {
      v = std::min(v + 50, v / 8);
    } else if (opponentPawns == 190) {
      v = std::min(v + 25, v / 4);
    } else if (opponentPawns == 0) {
      int32_t p = opponentPieces;
      if (p > 610 || p == 480) {
        if (p <= enginePieces + 310) {
          v = v / 16;
          // Help the stronger side push the bare king to the edge.
          if (state.enginePawnMaterial == 0 && p >= 480 && p - enginePieces >= 170)
            v -= 2 * EdgeTable[board[EngineKingSquare]];
        }
      } else {
        v = p > 310 ? v / 16 : v / 256;
      }
    }
  }
  if (enginePieces == opponentPieces) {
    if (enginePieces == 480 || enginePieces == 960)
      v = std::min(v + 20, v / 4);
    else if (enginePieces == 310 && OppositeBishops(board))
      v = std::min(v + 60, v / 8);
  }
  if (opponentPawns >= 1 && WrongRookPawnCorner(board, CornerOf[board[EngineKingSquare]], 21, 28,
                                                OpponentPawn, OpponentBishop, opponentPieces, opponentPawns))
    v = v / 32;
  if (enginePieces == 0 && opponentPawns >= 1 && v < -100) v += std::max(2 * v, -350);
  return v >= 0 ? -1 : v;
}

// The engine is ahead (v > 0). The bishop and knight (615) alone count as drawish here, unlike
// for the opponent.
static int32_t ScaleEngineAdvantage(const Board &board, const EvalState &state, int32_t v) {
  const int32_t enginePieces = state.enginePieceMaterial, opponentPieces = state.opponentPieceMaterial;
  const int32_t enginePawns = state.enginePawnMaterial;
  if (enginePawns < 191) {
    if (enginePawns == 95) {
      v = std::max(v - 50, v / 8);
    } else if (enginePawns == 190) {
      v = std::max(v - 25, v / 4);
    } else if (enginePawns == 0) {
      int32_t p = enginePieces;
      if (p > 615 || p == 480) {
        if (p <= opponentPieces + 310) v = v / 16;
      } else {
        v = p < 311 ? v / 256 : v / 16;
      }
    }
  }
  if (enginePieces == opponentPieces) {
    if (enginePieces == 480 || enginePieces == 960)
      v = std::max(v - 20, v / 4);
    else if (enginePieces == 310 && OppositeBishops(board))
      v = std::max(v - 60, v / 8);
  }
  if (enginePawns >= 1 && WrongRookPawnCorner(board, CornerOf[board[OpponentKingSquare]], 91, 98, EnginePawn,
                                              EngineBishop, enginePieces, enginePawns))
    v = v / 32;
  if (opponentPieces == 0 && enginePawns >= 1 && v >= 101) v += std::min(2 * v, 350);
  return v <= 0 ? 1 : v;
}

static int32_t ScaleEndgame(const Board &board, const EvalState &state, int32_t v) {
  const int32_t enginePieces = state.enginePieceMaterial, opponentPieces = state.opponentPieceMaterial;
  const int32_t enginePawns = state.enginePawnMaterial, opponentPawns = state.opponentPawnMaterial;
  v += state.doubledTerm;  // doubled pawns count twice in an endgame

  // A piece up with pawns left to win with.
  if (opponentPieces - enginePieces >= 170 && opponentPawns > 0)
    v -= enginePieces == 0 ? 100 : 20;
  else if (enginePieces - opponentPieces >= 170 && enginePawns > 0 && opponentPawns - enginePawns <= 190)
    v += opponentPieces == 0 ? 100 : 20;

  if (enginePieces <= 310) {
    if (enginePawns < opponentPawns) v -= (opponentPawns - enginePawns) / 4;
    if (enginePieces == 310 && opponentPieces == 305)
      v += 20;
    else if (opponentPieces == 310 && enginePieces == 305)
      v -= 20;
  }

  // Extra pawns against a bare king.
  if (opponentPieces == 0 && opponentPawns < enginePawns)
    v += (enginePawns - opponentPawns) / 2;
  else if (enginePieces == 0 && opponentPawns > enginePawns)
    v -= (opponentPawns - enginePawns) / 2;

  if (v < 0) return ScaleOpponentAdvantage(board, state, v);
  if (v > 0) return ScaleEngineAdvantage(board, state, v);
  return 0;
}

void SumScore(const Board &board, EvalState &state, const EvalContext &context, int depth, int ply) {
  // Inside a null-move probe, deep enough, the parent's positional sum stands.
  if (!(state.lazyReuse > 0 && depth >= context.lazyEvalDepth))
    state.positionalSum = state.passedPawnTerm + state.pawnStructureTerm +
                          KingWeighted(state.engineKingTerm) - KingWeighted(state.opponentKingTerm) -
                          KingWeighted(state.engineKingDanger) + KingWeighted(state.opponentKingDanger) +
                          state.positionalTerm + state.threatTerm + state.pieceSquareSum + state.doubledTerm;
  int32_t score =
      state.positionalSum + state.engineMaterial - state.opponentMaterial + state.positionalAdjust;

  // Castling still possible since the root, but its path filled up on the way.
  if (context.rootEngineRights != 0) {
    uint8_t rights = board[EngineRights];
    if (rights == 1 || rights == 3) score -= 15 * (Occupied(board, 26) + Occupied(board, 27));
    if (rights == 2) score -= 15 * (Occupied(board, 22) + Occupied(board, 23));
  }
  if (context.rootOpponentRights != 0) {
    uint8_t rights = board[OpponentRights];
    if (rights == 1 || rights == 3) score += 15 * (Occupied(board, 96) + Occupied(board, 97));
    if (rights == 2) score += 15 * (Occupied(board, 92) + Occupied(board, 93));
  }

  // A rook against two minor pieces, or a rook for a minor piece with little left on the board.
  if (state.rookBalance > 0) {
    if (state.minorBalance <= -2)
      score -= 25;
    else if (state.minorBalance == -1 && state.opponentPieceMaterial < 960)
      score += 20;
  } else if (state.rookBalance < 0) {
    if (state.minorBalance >= 2)
      score += 25;
    else if (state.minorBalance == 1 && state.enginePieceMaterial < 960)
      score -= 20;
  }
  score += 64 * state.queenBalance;

  // The search driver's pull towards a draw score of 40 while nothing has been exchanged.
  if (context.drawishCap > 0 && state.engineMaterial + state.opponentMaterial == context.rootTotalMaterial &&
      ply > 1)
    score -= std::min((score - 40) / 2, context.drawishCap);

  if (state.enginePieceMaterial <= ScalingPieceMaterial ||
      state.opponentPieceMaterial <= ScalingPieceMaterial)
    score = ScaleEndgame(board, state, score);
  state.totalScore = score;
}
