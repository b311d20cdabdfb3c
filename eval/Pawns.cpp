#include "eval/Pawns.h"

#include <algorithm>
#include <cstdlib>

#include "board/Attacks.h"
#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/Squares.h"
#include "eval/Material.h"
#include "eval/SquareTable.h"

// Pawn advancement, by square (the engine's row 8 at the top, files a..h). The opponent's pawns on
// its fifth and sixth rows count more than the engine's there: the engine fears an advancing pawn
// more than it trusts its own.
// clang-format off
static constexpr SquareTable EnginePawnTable = TableFromRows(LastRow, {
  { 0,  0,  0,  0,  0,  0,  0,  0},
  {40, 40, 40, 40, 40, 40, 40, 40},
  { 2,  8, 10, 14, 14, 10,  8,  2},
  { 2,  8, 10, 14, 14, 10,  8,  2},
  { 2,  8, 10, 14, 14, 10,  8,  2},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
});
static constexpr SquareTable OpponentPawnTable = TableFromRows(LastRow, {
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 2,  8, 10, 14, 14, 10,  8,  2},
  { 5, 10, 12, 18, 18, 12, 10,  5},
  { 7, 12, 14, 20, 20, 14, 12,  7},
  {40, 40, 40, 40, 40, 40, 40, 40},
  { 0,  0,  0,  0,  0,  0,  0,  0},
});

// Passed pawns, by the pawn's RankOf: a passer stands on rows 2..7, so the first two entries are never read.
using RankTable = int32_t[LastRow];
static constexpr RankTable EnginePassedEndLoose       = {0, 0,   9,  9, 27, 51, 75,  84};
static constexpr RankTable EnginePassedEndConnected   = {0, 0,  12, 12, 36, 63, 90, 102};
static constexpr RankTable EnginePassedMidLoose       = {0, 0,   6,  6, 18, 39, 62,  70};
static constexpr RankTable EnginePassedMidConnected   = {0, 0,   9,  9, 27, 51, 75,  84};
static constexpr RankTable OpponentPassedEndLoose     = {0, 0,  84, 75, 51, 27,  9,   9};
static constexpr RankTable OpponentPassedEndConnected = {0, 0, 102, 90, 63, 36, 12,  12};
static constexpr RankTable OpponentPassedMidLoose     = {0, 0,  70, 62, 39, 18,  6,   6};
static constexpr RankTable OpponentPassedMidConnected = {0, 0,  84, 75, 51, 27,  9,   9};
// clang-format on

// A passer sum never counts for more than this.
constexpr int32_t PasserSumCap = 750;
// Below this phase value (piece material - 1650) the passers are scored as in an endgame.
constexpr int32_t PasserEndPhase = 301;

// Pawn structure. The engine's own pawns are judged more strictly, on purpose (it is pessimistic about
// its own position): its centre pawns weigh double, and its weakness beyond the cap keeps growing a
// quarter as fast, where the opponent's stops.
constexpr int32_t DoubledPenalty = 15;
constexpr int32_t CentreWeakness = 12, BlockedCentreWeakness = 6;  // BlockedCentre: an enemy pawn in front
constexpr int32_t OpponentCentreWeakness = 6;
constexpr int32_t IsolatedWeakness = 6;
constexpr int32_t OpenFileWeakness = 4, RookFileOpenWeakness = 2;  // per row left to the last one
constexpr int32_t WeaknessCap = 80;
constexpr int32_t WeaknessBeyondCapDivisor = 4;

// Passed pawns.
constexpr int32_t RunnerPieceLimit = 1000;     // the race to queen is looked at up to a queen's worth
constexpr int RunnerKingSupport = 2;           // own king this near a far-advanced runner: a sure runner
constexpr int32_t RookEndingBehindBonus = 50;  // the enemy king is not behind the pawn in a rook ending
constexpr int32_t KingRaceWeightLight = 8, KingRaceWeight = 4;  // per row of king-distance lead
constexpr int32_t RunnerBareKingValue = 400, RunnerBareKingPerRow = 32;
constexpr int32_t RunnerRookPawnValue = 50, RunnerRookPawnPerRow = 16;  // against a lone knight
constexpr int32_t RunnerPerRow = 4;
constexpr int32_t EscortBareKingValue = 600, EscortValue = 120;  // own king beside it, one row to go
constexpr int32_t EscortBareKingFarValue = 550, EscortFarValue = 100;
constexpr int32_t FreeQueeningSquare = 60, FreeQueeningRookPawn = 250;
// The opponent's free path is valued higher, and over two rows: the same pessimism, the engine
// fears the opponent's passer more than it trusts its own.
constexpr int32_t OpponentFreeLastStep = 550, OpponentFreeTwoSteps = 250;
constexpr int32_t RunnerQueenDivisor = 4;  // a side with its queen adds a quarter of its runner

void BuildPawnBits(EvalState &state, const Board &board) {
  state.enginePawnBits = 0;
  state.opponentPawnBits = 0;
  for (int s = EngineA2; s <= EngineH7; s++) {
    if (board[s] == EnginePawn) state.enginePawnBits |= SquareBit[s];
    if (board[s] == OpponentPawn) state.opponentPawnBits |= SquareBit[s];
  }
}

void UpdatePawnBits(Move move, uint8_t captured, EvalState &state, const Board &board) {
  uint8_t moved = board[move.to];
  bool enPassant = move.kind == EnPassantMove;
  if (SideOf(moved) == OpponentSide) {
    if (moved == OpponentPawn) {
      state.opponentPawnBits |= SquareBit[move.to];
      state.opponentPawnBits &= ~SquareBit[move.from];
    } else if (move.promotion != 0) {
      state.opponentPawnBits &= ~SquareBit[move.from];
    }
    // An opponent pawn takes en passant downwards: the engine pawn stood one row above the target.
    if (captured == EnginePawn) state.enginePawnBits &= ~SquareBit[enPassant ? move.to + Up : move.to];
  }
  if (SideOf(moved) == EngineSide) {
    if (moved == EnginePawn) {
      state.enginePawnBits |= SquareBit[move.to];
      state.enginePawnBits &= ~SquareBit[move.from];
    } else if (move.promotion != 0) {
      state.enginePawnBits &= ~SquareBit[move.from];
    }
    if (captured == OpponentPawn) state.opponentPawnBits &= ~SquareBit[enPassant ? move.to - Up : move.to];
  }
}

// Weakness of a pawn without an own pawn beside or behind it, and whether it is still worth the
// passer test (it is not when an enemy pawn stands ahead of it on its file).
void EvaluatePawnStructure(const Board &board, EvalState &state) {
  const uint64_t engine = state.enginePawnBits, opponent = state.opponentPawnBits;
  int32_t sum = 0;
  state.doubledTerm = 0;
  state.enginePasserCount = 0;
  state.opponentPasserEnd = OpponentPassersStart;

  int32_t weakness = 0;
  for (int8_t s : state.enginePawnSquares) {
    if (s == 0) continue;
    bool connected = true, passerTest = true;
    if (FileAhead[s] & engine) state.doubledTerm -= DoubledPenalty;
    if (!(AdjacentBehind[s] & engine)) {
      if (EngineCentreFlag[s]) {
        if (s == EngineD2 || s == EngineE2)  // the engine's d- and e-pawns on their start squares
          weakness -= CentreWeakness;
        else
          weakness -= board[s + Up] == OpponentPawn ? BlockedCentreWeakness : CentreWeakness;
      }
      if (!(AdjacentFiles3[s] & engine)) {
        weakness -= IsolatedWeakness;
        connected = false;
      }
      if (!(FileAhead[s] & opponent))
        weakness -= (RookFileFlag[s] ? RookFileOpenWeakness : OpenFileWeakness) * (LastRow - RankOf[s]);
      else
        passerTest = false;
    }
    if (passerTest && !(SpanAhead[s] & opponent))
      state.passerList[state.enginePasserCount++] = int8_t(connected ? s : -s);
    sum += EnginePawnTable[s];
  }
  if (weakness < -WeaknessCap) weakness = (weakness - WeaknessCap) / WeaknessBeyondCapDivisor - WeaknessCap;
  sum += weakness;

  weakness = 0;
  for (int8_t s : state.opponentPawnSquares) {
    if (s == 0) continue;
    bool connected = true, passerTest = true;
    if (FileBehind[s] & opponent) state.doubledTerm += DoubledPenalty;
    if (!(AdjacentAhead[s] & opponent)) {
      if (OpponentCentreFlag[s]) weakness -= OpponentCentreWeakness;
      if (!(AdjacentFiles3[s] & opponent)) {
        weakness -= IsolatedWeakness;
        connected = false;
      }
      if (!(FileBehind[s] & engine))
        weakness -= (RookFileFlag[s] ? RookFileOpenWeakness : OpenFileWeakness) * (RankOf[s] - 1);
      else
        passerTest = false;
    }
    if (passerTest && !(SpanBehind[s] & engine))
      state.passerList[state.opponentPasserEnd++] = int8_t(connected ? s : -s);
    sum -= OpponentPawnTable[s];
  }
  if (weakness < -WeaknessCap) weakness = -WeaknessCap;
  state.pawnStructureTerm = sum - weakness;
}

// Value of a passer the enemy king cannot catch, by the row it has reached counted from its own
// side (row) and the enemy's piece material: against a bare king it queens; against a lone knight
// a rook pawn is still hard to stop.
static int32_t RunnerValue(int32_t row, int32_t enemyPieceMaterial, int square) {
  if (enemyPieceMaterial == 0) return RunnerBareKingPerRow * row + RunnerBareKingValue;
  if (enemyPieceMaterial == OneKnight && RookFileFlag[square])
    return RunnerRookPawnPerRow * row + RunnerRookPawnValue;
  return RunnerPerRow * row;
}

// The pawn's own king beside it far up the board, against at most a rook.
static int32_t KingEscortValue(bool onLastRowButOne, int32_t enemyPieceMaterial) {
  if (onLastRowButOne) return enemyPieceMaterial == 0 ? EscortBareKingValue : EscortValue;
  return enemyPieceMaterial == 0 ? EscortBareKingFarValue : EscortFarValue;
}

namespace {

// What every passer of one evaluation reads: the kings, the target of the last move, the pieces
// (pawns aside) of both sides and the game phase as each side's passers see it.
struct PasserInputs {
  int engineKing, opponentKing, lastTarget;
  int32_t enginePieces, opponentPieces;
  bool rookEnding, engineToMove;
  int32_t oppPhase, engPhase;
};

// An engine passer on s (connected to another when entry is positive): its value, its run to the
// last row when the enemy king cannot catch it, and a free queening square.
void EvaluateEnginePasser(Board &board, EvalState &state, int entry, const PasserInputs &in,
                          PasserTotals &totals) {
  const int k1 = in.engineKing, k2 = in.opponentKing, s = std::abs(entry), rank = RankOf[s];
  const bool connected = entry > 0;
  if (in.oppPhase < PasserEndPhase) {
    if (in.rookEnding && NotBehindOnFile[k2][s]) totals.enginePasserSum += RookEndingBehindBonus;
    int32_t d = Distance[k2][s + Up] - Distance[k1][s];
    totals.enginePasserSum += (connected ? EnginePassedEndConnected : EnginePassedEndLoose)[rank] +
                              (in.opponentPieces < OneRook ? KingRaceWeightLight : KingRaceWeight) * d;
  } else {
    totals.enginePasserSum += (connected ? EnginePassedMidConnected : EnginePassedMidLoose)[rank];
  }

  // A pawn on its start row runs as if it stood one row further (its double step).
  int t = s < EngineA3 ? s + Up : s;
  int32_t runner = 0;
  if (in.opponentPieces <= RunnerPieceLimit) {
    int need = LastRow - RankOf[t] + (in.engineToMove ? 0 : 1);
    if (need < Distance[SquareAt(FileOf[t], LastRow)][k2]) {
      // Counted for the engine's passers only: the scaling reads it to damp an opponent's lead
      // that such a runner undoes.
      if (state.opponentPawnMaterial == 0 && in.opponentPieces <= OneRook && t >= EngineA5 &&
          k1 >= EngineA5 && Distance[t][k1] <= RunnerKingSupport)
        state.runnerCount++;
      runner = RunnerValue(RankOf[t], in.opponentPieces, t);
      totals.engineRunnerBest = std::max(totals.engineRunnerBest, runner);
    }
    if (t >= EngineA6 && in.opponentPieces <= OneRook && k1 >= EngineA7 && Distance[t][k1] <= 1) {
      runner = KingEscortValue(t >= EngineA7, in.opponentPieces);
      totals.engineRunnerBest = std::max(totals.engineRunnerBest, runner);
    }
  }

  // A pawn one step from queening whose queening square is neither held nor watched by the
  // opponent, seen through the pawn itself (a rook behind it).
  if (in.oppPhase < PasserEndPhase && runner < RunnerBareKingValue && t >= EngineA7 && t != in.lastTarget) {
    uint8_t pawn = board[t];
    board[t] = Empty;
    if (SideOf(board[t + Up]) != OpponentSide && !IsAttacked(board, t + Up, OpponentSide))
      totals.enginePasserSum +=
          in.opponentPieces <= OneKnight && RookFileFlag[t] ? FreeQueeningRookPawn : FreeQueeningSquare;
    board[t] = pawn;
  }
}

// An opponent passer, as the engine's above from the other side of the board.
void EvaluateOpponentPasser(Board &board, int entry, const PasserInputs &in, PasserTotals &totals) {
  const int k1 = in.engineKing, k2 = in.opponentKing, s = std::abs(entry), rank = RankOf[s];
  const bool connected = entry > 0;
  if (in.engPhase < PasserEndPhase) {
    if (in.rookEnding && NotAheadOnFile[k1][s]) totals.opponentPasserSum += RookEndingBehindBonus;
    int32_t d = Distance[k1][s - Up] - Distance[k2][s];
    totals.opponentPasserSum += (connected ? OpponentPassedEndConnected : OpponentPassedEndLoose)[rank] +
                                (in.enginePieces < OneRook ? KingRaceWeightLight : KingRaceWeight) * d;
  } else {
    totals.opponentPasserSum += (connected ? OpponentPassedMidConnected : OpponentPassedMidLoose)[rank];
  }

  int t = s >= EngineA7 ? s - Up : s;
  int32_t runner = 0;
  if (in.enginePieces <= RunnerPieceLimit) {
    int need = RankOf[t] - 1 + (in.engineToMove ? 1 : 0);
    if (need < Distance[SquareAt(FileOf[t], 1)][k1]) {
      runner = RunnerValue(LastRow + 1 - RankOf[t], in.enginePieces, t);
      totals.opponentRunnerBest = std::max(totals.opponentRunnerBest, runner);
    }
    if (t < EngineA4 && in.enginePieces <= OneRook && k2 < EngineA3 && Distance[t][k2] <= 1) {
      runner = KingEscortValue(t < EngineA3, in.enginePieces);
      totals.opponentRunnerBest = std::max(totals.opponentRunnerBest, runner);
    }
  }

  // The opponent's free path counts two rows: from its last row but one, and from the row before
  // it when both squares ahead are free.
  if (in.engPhase < PasserEndPhase && runner < RunnerBareKingValue && t < EngineA4 && t != in.lastTarget) {
    uint8_t pawn = board[t];
    board[t] = Empty;
    auto free = [&board](int square) {
      return SideOf(board[square]) != EngineSide && !IsAttacked(board, square, EngineSide);
    };
    if (t < EngineA3) {
      if (free(t - Up)) totals.opponentPasserSum += OpponentFreeLastStep;
    } else if (free(t - Up) && free(t - 2 * Up)) {
      totals.opponentPasserSum += OpponentFreeTwoSteps;
    }
    board[t] = pawn;
  }
}

}  // namespace

PasserTotals EvaluatePassedPawns(Board &board, EvalState &state, bool engineToMove, Move lastMove,
                                 int32_t oppPhase, int32_t engPhase) {
  const int32_t enginePieces = state.enginePieceMaterial, opponentPieces = state.opponentPieceMaterial;
  const PasserInputs in{board[EngineKingSquare],
                        board[OpponentKingSquare],
                        lastMove.to,
                        enginePieces,
                        opponentPieces,
                        enginePieces == OneRook && opponentPieces == OneRook,
                        engineToMove,
                        oppPhase,
                        engPhase};
  PasserTotals totals{};
  for (int i = 0; i < state.enginePasserCount; i++)
    if (state.passerList[i] != 0) EvaluateEnginePasser(board, state, state.passerList[i], in, totals);
  for (int i = OpponentPassersStart; i < state.opponentPasserEnd; i++)
    if (state.passerList[i] != 0) EvaluateOpponentPasser(board, state.passerList[i], in, totals);
  return totals;
}

void CombinePassedPawns(PasserTotals totals, bool engineQueenPresent, bool opponentQueenPresent,
                        EvalState &state) {
  int32_t d = (totals.engineRunnerBest - totals.opponentRunnerBest) / 2;
  if (d > 0)
    totals.engineRunnerBest += d;
  else
    totals.opponentRunnerBest += d;
  totals.enginePasserSum += totals.engineRunnerBest;
  if (engineQueenPresent) totals.enginePasserSum += totals.engineRunnerBest / RunnerQueenDivisor;
  totals.enginePasserSum = std::min(totals.enginePasserSum, PasserSumCap);
  totals.opponentPasserSum += totals.opponentRunnerBest;
  if (opponentQueenPresent) totals.opponentPasserSum += totals.opponentRunnerBest / RunnerQueenDivisor;
  totals.opponentPasserSum = std::min(totals.opponentPasserSum, PasserSumCap);
  state.passedPawnTerm += totals.enginePasserSum - totals.opponentPasserSum;
}
