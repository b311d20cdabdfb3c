#include "eval/Score.h"

#include <algorithm>

#include "board/Geometry.h"
#include "board/Squares.h"
#include "eval/Material.h"

// clang-format off
const SquareTable EdgeTable = TableFromRows(LastRow, {
  {4, 2, 2, 2, 2, 2, 2, 4},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {2, 0, 0, 0, 0, 0, 0, 2},
  {4, 2, 2, 2, 2, 2, 2, 4},
});
const SquareTable CornerOf = TableFromRows(LastRow, {
  {EngineA8, EngineA8, 0, 0, 0, 0, EngineH8, EngineH8},
  {EngineA8, EngineA8, 0, 0, 0, 0, EngineH8, EngineH8},
  {       0,        0, 0, 0, 0, 0,        0,        0},
  {       0,        0, 0, 0, 0, 0,        0,        0},
  {       0,        0, 0, 0, 0, 0,        0,        0},
  {       0,        0, 0, 0, 0, 0,        0,        0},
  {EngineA1, EngineA1, 0, 0, 0, 0, EngineH1, EngineH1},
  {EngineA1, EngineA1, 0, 0, 0, 0, EngineH1, EngineH1},
});
// clang-format on

// Piece material above which, for both sides, no endgame scaling applies.
constexpr int32_t ScalingPieceMaterial = 1690;

constexpr int32_t MinorPieceUp = 170;  // a piece-material lead that is at least a minor piece for pawns

// Endgame scaling, the same weights for either side ahead: a lead is divided by the divisor, or cut
// by the pull when that leaves more of it.
constexpr int32_t OnePawnPull = 50, OnePawnDivisor = 8;  // the side ahead has one pawn left
constexpr int32_t TwoPawnsPull = 25, TwoPawnsDivisor = 4;
constexpr int32_t RunnerDivisor = 16;     // the engine has a pawn the opponent's king cannot stop
constexpr int32_t DrawishDivisor = 16;    // no pawns and too little piece material ahead to win
constexpr int32_t DeadDrawDivisor = 256;  // no pawns and at most a minor piece
constexpr int32_t EqualRooksPull = 20, EqualRooksDivisor = 4;  // one or two rooks each, nothing else
constexpr int32_t OppositeBishopsPull = 60, OppositeBishopsDivisor = 8;
constexpr int32_t WrongCornerDivisor = 32;  // a rook pawn and the king in its corner
constexpr int32_t BareKingEdgePull = 2;     // times EdgeTable of the bare king
constexpr int32_t PawnRaceThreshold = 100;  // pawns against no pieces: a lead beyond this is stretched
constexpr int32_t PawnRaceStretchCap = 350;
constexpr int32_t PieceUpBonus = 20, PieceUpBareBonus = 100;  // a piece up, the other side bare
constexpr int32_t BishopOverKnight = 20;                      // a lone bishop against a lone knight
constexpr int32_t PawnDeficitDivisor = 4, ExtraPawnDivisor = 2;

// Middle-game corrections of the sum.
constexpr int32_t BlockedCastlingPenalty = 15;  // per occupied square of a castling path
constexpr int32_t RookForTwoMinors = 25;
constexpr int32_t RookForMinorLate = 20;    // a rook for a minor piece when little is left
constexpr int32_t LateMaterial = TwoRooks;  // the other side's piece material below which that holds
constexpr int32_t QueenBalanceWeight = 64;
constexpr int32_t DrawScore = 40;       // the score the draw pull aims at
constexpr int32_t KingTermDivisor = 4;  // the king terms are summed a quarter heavier

static bool Occupied(const Board &board, int square) { return board[square] != Empty; }

static int32_t KingWeighted(int32_t term) { return term + term / KingTermDivisor; }

static int SquareParity(int square) { return (FileOf[square] + RankOf[square]) % 2; }

// The last engine bishop and the last opponent bishop of a scan from a1 to h8 stand on different
// colours.
static bool OppositeBishops(const Board &board) {
  int engineBishop = 0, opponentBishop = 0;
  for (int s = EngineA1; s <= EngineH8; s++) {
    if (board[s] == EngineBishop) engineBishop = s;
    if (board[s] == OpponentBishop) opponentBishop = s;
  }
  return engineBishop != 0 && opponentBishop != 0 &&
         SquareParity(engineBishop) != SquareParity(opponentBishop);
}

// The parity of the first bishop of that code from a1 upwards, or -1 without one.
static int FirstBishopParity(const Board &board, uint8_t bishop) {
  for (int s = EngineA1; s <= EngineH8; s++)
    if (board[s] == bishop) return SquareParity(s);
  return -1;
}

// All of a side's pawns (pawnMaterial / 95 of them) stand on the given column.
static bool AllPawnsOnColumn(const Board &board, uint8_t pawn, int column, int32_t pawnMaterial) {
  int count = 0;
  for (int s = SquareAt(column, 2); s <= SquareAt(column, LastRow); s += Up)
    if (board[s] == pawn) count++;
  return count * PieceValue[pawn] == pawnMaterial;
}

// A rook pawn, perhaps with a bishop that does not control the queening corner, against a king
// in that corner: a draw. cornerA and cornerB are the two queening corners of the pawn side, on
// the a- and h-files; wrongParityA is the bishop parity that fails to control cornerA.
static bool WrongRookPawnCorner(const Board &board, int corner, int cornerA, int cornerB, uint8_t pawn,
                                uint8_t bishop, int32_t pieceMaterial, int32_t pawnMaterial) {
  int wrongParityA = 1 - SquareParity(cornerA), wrongParityB = 1 - SquareParity(cornerB);
  if (HasOnlyBishop(pieceMaterial)) {
    int parity = FirstBishopParity(board, bishop);
    return (corner == cornerA && AllPawnsOnColumn(board, pawn, FileA, pawnMaterial) &&
            parity == wrongParityA) ||
           (corner == cornerB && AllPawnsOnColumn(board, pawn, FileH, pawnMaterial) &&
            parity == wrongParityB);
  }
  if (pieceMaterial == 0)
    return (corner == cornerA && AllPawnsOnColumn(board, pawn, FileA, pawnMaterial)) ||
           (corner == cornerB && AllPawnsOnColumn(board, pawn, FileH, pawnMaterial));
  return false;
}

// The opponent is ahead (v < 0).
static int32_t ScaleOpponentAdvantage(const Board &board, const EvalState &state, int32_t v) {
  const int32_t enginePieces = state.enginePieceMaterial, opponentPieces = state.opponentPieceMaterial;
  const int32_t opponentPawns = state.opponentPawnMaterial;
  if (state.runnerCount > 0) v = v / RunnerDivisor;
  if (opponentPawns <= TwoPawns) {
    if (opponentPawns == OnePawn) {
      v = std::min(v + OnePawnPull, v / OnePawnDivisor);
    } else if (opponentPawns == TwoPawns) {
      v = std::min(v + TwoPawnsPull, v / TwoPawnsDivisor);
    } else if (opponentPawns == 0) {
      int32_t p = opponentPieces;
      if (p > TwoKnights || HasOnlyRook(p)) {
        if (p <= enginePieces + OneBishop) {
          v = v / DrawishDivisor;
          // Help the stronger side push the bare king to the edge.
          if (state.enginePawnMaterial == 0 && p >= OneRook && p - enginePieces >= MinorPieceUp)
            v -= BareKingEdgePull * EdgeTable[board[EngineKingSquare]];
        }
      } else {
        v = p > OneBishop ? v / DrawishDivisor : v / DeadDrawDivisor;
      }
    }
  }
  if (enginePieces == opponentPieces) {
    if (HasOnlyRook(enginePieces) || enginePieces == TwoRooks)
      v = std::min(v + EqualRooksPull, v / EqualRooksDivisor);
    else if (HasOnlyBishop(enginePieces) && OppositeBishops(board))
      v = std::min(v + OppositeBishopsPull, v / OppositeBishopsDivisor);
  }
  if (opponentPawns >= 1 && WrongRookPawnCorner(board, CornerOf[board[EngineKingSquare]], EngineA1, EngineH1,
                                                OpponentPawn, OpponentBishop, opponentPieces, opponentPawns))
    v = v / WrongCornerDivisor;
  if (enginePieces == 0 && opponentPawns >= 1 && v < -PawnRaceThreshold)
    v += std::max(2 * v, -PawnRaceStretchCap);
  return v >= 0 ? -1 : v;
}

// The engine is ahead (v > 0). The bishop and knight alone count as drawish here, unlike for the
// opponent: pessimistic on purpose, the engine does not count on its own mate with them. The
// runners and the bare king's edge are scaled only when the opponent is ahead.
static int32_t ScaleEngineAdvantage(const Board &board, const EvalState &state, int32_t v) {
  const int32_t enginePieces = state.enginePieceMaterial, opponentPieces = state.opponentPieceMaterial;
  const int32_t enginePawns = state.enginePawnMaterial;
  if (enginePawns <= TwoPawns) {
    if (enginePawns == OnePawn) {
      v = std::max(v - OnePawnPull, v / OnePawnDivisor);
    } else if (enginePawns == TwoPawns) {
      v = std::max(v - TwoPawnsPull, v / TwoPawnsDivisor);
    } else if (enginePawns == 0) {
      int32_t p = enginePieces;
      if (p > BishopAndKnight || HasOnlyRook(p)) {
        if (p <= opponentPieces + OneBishop) v = v / DrawishDivisor;
      } else {
        v = p <= OneBishop ? v / DeadDrawDivisor : v / DrawishDivisor;
      }
    }
  }
  if (enginePieces == opponentPieces) {
    if (HasOnlyRook(enginePieces) || enginePieces == TwoRooks)
      v = std::max(v - EqualRooksPull, v / EqualRooksDivisor);
    else if (HasOnlyBishop(enginePieces) && OppositeBishops(board))
      v = std::max(v - OppositeBishopsPull, v / OppositeBishopsDivisor);
  }
  if (enginePawns >= 1 && WrongRookPawnCorner(board, CornerOf[board[OpponentKingSquare]], EngineA8, EngineH8,
                                              EnginePawn, EngineBishop, enginePieces, enginePawns))
    v = v / WrongCornerDivisor;
  if (opponentPieces == 0 && enginePawns >= 1 && v > PawnRaceThreshold)
    v += std::min(2 * v, PawnRaceStretchCap);
  return v <= 0 ? 1 : v;
}

static int32_t ScaleEndgame(const Board &board, const EvalState &state, int32_t v) {
  const int32_t enginePieces = state.enginePieceMaterial, opponentPieces = state.opponentPieceMaterial;
  const int32_t enginePawns = state.enginePawnMaterial, opponentPawns = state.opponentPawnMaterial;
  v += state.doubledTerm;  // doubled pawns count twice in an endgame

  // A piece up with pawns left to win with. The engine's bonus also wants the opponent at most two
  // pawns ahead: more pawns against the engine's extra piece are not a win to count on.
  if (opponentPieces - enginePieces >= MinorPieceUp && opponentPawns > 0)
    v -= enginePieces == 0 ? PieceUpBareBonus : PieceUpBonus;
  else if (enginePieces - opponentPieces >= MinorPieceUp && enginePawns > 0 &&
           opponentPawns - enginePawns <= TwoPawns)
    v += opponentPieces == 0 ? PieceUpBareBonus : PieceUpBonus;

  // With at most a minor piece the engine feels a pawn deficit (the opponent's is not scored).
  if (enginePieces <= OneBishop) {
    if (enginePawns < opponentPawns) v -= (opponentPawns - enginePawns) / PawnDeficitDivisor;
    if (HasOnlyBishop(enginePieces) && HasOnlyKnight(opponentPieces))
      v += BishopOverKnight;
    else if (HasOnlyBishop(opponentPieces) && HasOnlyKnight(enginePieces))
      v -= BishopOverKnight;
  }

  // Extra pawns against a bare king.
  if (opponentPieces == 0 && opponentPawns < enginePawns)
    v += (enginePawns - opponentPawns) / ExtraPawnDivisor;
  else if (enginePieces == 0 && opponentPawns > enginePawns)
    v -= (opponentPawns - enginePawns) / ExtraPawnDivisor;

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
    if (rights & KingSideCastling)
      score -= BlockedCastlingPenalty * (Occupied(board, EngineF1) + Occupied(board, EngineG1));
    if (rights == QueenSideCastling)
      score -= BlockedCastlingPenalty * (Occupied(board, EngineB1) + Occupied(board, EngineC1));
  }
  if (context.rootOpponentRights != 0) {
    uint8_t rights = board[OpponentRights];
    if (rights & KingSideCastling)
      score += BlockedCastlingPenalty * (Occupied(board, EngineF8) + Occupied(board, EngineG8));
    if (rights == QueenSideCastling)
      score += BlockedCastlingPenalty * (Occupied(board, EngineB8) + Occupied(board, EngineC8));
  }

  // A rook against two minor pieces, or a rook for a minor piece with little left on the board.
  if (state.rookBalance > 0) {
    if (state.minorBalance <= -2)
      score -= RookForTwoMinors;
    else if (state.minorBalance == -1 && state.opponentPieceMaterial < LateMaterial)
      score += RookForMinorLate;
  } else if (state.rookBalance < 0) {
    if (state.minorBalance >= 2)
      score += RookForTwoMinors;
    else if (state.minorBalance == 1 && state.enginePieceMaterial < LateMaterial)
      score -= RookForMinorLate;
  }
  score += QueenBalanceWeight * state.queenBalance;

  // The search driver's pull towards the draw score while nothing has been exchanged.
  if (context.drawishCap > 0 && state.engineMaterial + state.opponentMaterial == context.rootTotalMaterial &&
      ply > 1)
    score -= std::min((score - DrawScore) / 2, context.drawishCap);

  if (state.enginePieceMaterial <= ScalingPieceMaterial ||
      state.opponentPieceMaterial <= ScalingPieceMaterial)
    score = ScaleEndgame(board, state, score);
  state.totalScore = score;
}
