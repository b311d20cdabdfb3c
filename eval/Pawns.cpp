#include "eval/Pawns.h"

#include <algorithm>
#include <cstdlib>

#include "board/Attacks.h"
#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "eval/SquareTable.h"

// Pawn advancement, by square (row 9 at the top, columns 1..8).
// clang-format off
static constexpr SquareTable EnginePawnTable = TableFromRows(9, {
  { 0,  0,  0,  0,  0,  0,  0,  0},
  {40, 40, 40, 40, 40, 40, 40, 40},
  { 2,  8, 10, 14, 14, 10,  8,  2},
  { 2,  8, 10, 14, 14, 10,  8,  2},
  { 2,  8, 10, 14, 14, 10,  8,  2},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
});
static constexpr SquareTable OpponentPawnTable = TableFromRows(9, {
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 0,  0,  0,  0,  0,  0,  0,  0},
  { 2,  8, 10, 14, 14, 10,  8,  2},
  { 5, 10, 12, 18, 18, 12, 10,  5},
  { 7, 12, 14, 20, 20, 14, 12,  7},
  {40, 40, 40, 40, 40, 40, 40, 40},
  { 0,  0,  0,  0,  0,  0,  0,  0},
});

// Passed pawns, by the pawn's RankOf 0..7 (a passer stands on 2..7).
using RankTable = int32_t[8];
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

void BuildPawnBits(EvalState &state, const Board &board) {
  state.enginePawnBits = 0;
  state.opponentPawnBits = 0;
  for (int s = 31; s <= 88; s++) {
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
    if (captured == EnginePawn) state.enginePawnBits &= ~SquareBit[enPassant ? move.to + 10 : move.to];
  }
  if (SideOf(moved) == EngineSide) {
    if (moved == EnginePawn) {
      state.enginePawnBits |= SquareBit[move.to];
      state.enginePawnBits &= ~SquareBit[move.from];
    } else if (move.promotion != 0) {
      state.enginePawnBits &= ~SquareBit[move.from];
    }
    if (captured == OpponentPawn) state.opponentPawnBits &= ~SquareBit[enPassant ? move.to - 10 : move.to];
  }
}

// Weakness of a pawn without an own pawn beside or behind it, and whether it is still worth the
// passer test (it is not when an enemy pawn stands ahead of it on its file).
void EvaluatePawnStructure(const Board &board, EvalState &state) {
  const uint64_t engine = state.enginePawnBits, opponent = state.opponentPawnBits;
  int32_t sum = 0;
  state.doubledTerm = 0;
  state.enginePasserCount = 0;
  state.opponentPasserEnd = 8;

  int32_t weakness = 0;
  for (int8_t s : state.enginePawnSquares) {
    if (s == 0) continue;
    bool connected = true, passerTest = true;
    if (FileAhead[s] & engine) state.doubledTerm -= 15;
    if (!(AdjacentBehind[s] & engine)) {
      if (EngineCentreFlag[s]) {
        if (s == 34 || s == 35)
          weakness -= 12;
        else
          weakness -= board[s + 10] == OpponentPawn ? 6 : 12;
      }
      if (!(AdjacentFiles3[s] & engine)) {
        weakness -= 6;
        connected = false;
      }
      if (!(FileAhead[s] & opponent))
        weakness -= (RookFileFlag[s] ? 2 : 4) * (8 - RankOf[s]);
      else
        passerTest = false;
    }
    if (passerTest && !(SpanAhead[s] & opponent))
      state.passerList[state.enginePasserCount++] = int8_t(connected ? s : -s);
    sum += EnginePawnTable[s];
  }
  if (weakness < -80) weakness = (weakness - 80) / 4 - 80;
  sum += weakness;

  weakness = 0;
  for (int8_t s : state.opponentPawnSquares) {
    if (s == 0) continue;
    bool connected = true, passerTest = true;
    if (FileBehind[s] & opponent) state.doubledTerm += 15;
    if (!(AdjacentAhead[s] & opponent)) {
      if (OpponentCentreFlag[s]) weakness -= 6;
      if (!(AdjacentFiles3[s] & opponent)) {
        weakness -= 6;
        connected = false;
      }
      if (!(FileBehind[s] & engine))
        weakness -= (RookFileFlag[s] ? 2 : 4) * (RankOf[s] - 1);
      else
        passerTest = false;
    }
    if (passerTest && !(SpanBehind[s] & engine))
      state.passerList[state.opponentPasserEnd++] = int8_t(connected ? s : -s);
    sum -= OpponentPawnTable[s];
  }
  if (weakness < -80) weakness = -80;
  state.pawnStructureTerm = sum - weakness;
}

// Value of a passer the enemy king cannot catch, by how many rows it has left to run (steps) and
// the enemy's piece material: against a bare king it queens; against a lone knight a rook pawn is
// still hard to stop.
static int32_t RunnerValue(int32_t steps, int32_t enemyPieceMaterial, int square) {
  if (enemyPieceMaterial == 0) return 32 * steps + 400;
  if (enemyPieceMaterial == 305 && RookFileFlag[square]) return 16 * steps + 50;
  return 4 * steps;
}

// The pawn's own king beside it far up the board, against at most a rook.
static int32_t KingEscortValue(bool onLastRowButOne, int32_t enemyPieceMaterial) {
  if (onLastRowButOne) return enemyPieceMaterial == 0 ? 600 : 120;
  return enemyPieceMaterial == 0 ? 550 : 100;
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
    if (in.rookEnding && NotBehindOnFile[k2][s]) totals.enginePasserSum += 50;
    int32_t d = Distance[k2][s + 10] - Distance[k1][s];
    totals.enginePasserSum += (connected ? EnginePassedEndConnected : EnginePassedEndLoose)[rank] +
                              (in.opponentPieces < 480 ? 8 : 4) * d;
  } else {
    totals.enginePasserSum += (connected ? EnginePassedMidConnected : EnginePassedMidLoose)[rank];
  }

  // A pawn on its start row runs as if it stood one row further (its double step).
  int t = s < 40 ? s + 10 : s;
  int32_t runner = 0;
  if (in.opponentPieces <= 1000) {
    int need = 8 - RankOf[t] + (in.engineToMove ? 0 : 1);
    if (need < Distance[FileOf[t] + 90][k2]) {
      if (state.opponentPawnMaterial == 0 && in.opponentPieces <= 480 && RankOf[t] > 4 && RankOf[k1] > 4 &&
          Distance[t][k1] < 3)
        state.runnerCount++;
      runner = RunnerValue(RankOf[t], in.opponentPieces, t);
      totals.engineRunnerBest = std::max(totals.engineRunnerBest, runner);
    }
    if (t > 70 && in.opponentPieces <= 480 && k1 > 80 && Distance[t][k1] < 2) {
      runner = KingEscortValue(t >= 81, in.opponentPieces);
      totals.engineRunnerBest = std::max(totals.engineRunnerBest, runner);
    }
  }

  // A pawn one step from queening whose queening square is neither held nor watched by the
  // opponent, seen through the pawn itself (a rook behind it).
  if (in.oppPhase < PasserEndPhase && runner < 400 && t > 80 && t != in.lastTarget) {
    uint8_t pawn = board[t];
    board[t] = Empty;
    if (SideOf(board[t + 10]) != OpponentSide && !IsAttacked(board, t + 10, OpponentSide))
      totals.enginePasserSum += in.opponentPieces < 306 && RookFileFlag[t] ? 250 : 60;
    board[t] = pawn;
  }
}

// An opponent passer, as the engine's above from the other side of the board.
void EvaluateOpponentPasser(Board &board, int entry, const PasserInputs &in, PasserTotals &totals) {
  const int k1 = in.engineKing, k2 = in.opponentKing, s = std::abs(entry), rank = RankOf[s];
  const bool connected = entry > 0;
  if (in.engPhase < PasserEndPhase) {
    if (in.rookEnding && NotAheadOnFile[k1][s]) totals.opponentPasserSum += 50;
    int32_t d = Distance[k1][s - 10] - Distance[k2][s];
    totals.opponentPasserSum += (connected ? OpponentPassedEndConnected : OpponentPassedEndLoose)[rank] +
                                (in.enginePieces < 480 ? 8 : 4) * d;
  } else {
    totals.opponentPasserSum += (connected ? OpponentPassedMidConnected : OpponentPassedMidLoose)[rank];
  }

  int t = s > 80 ? s - 10 : s;
  int32_t runner = 0;
  if (in.enginePieces <= 1000) {
    int need = RankOf[t] - 1 + (in.engineToMove ? 1 : 0);
    if (need < Distance[FileOf[t] + 20][k1]) {
      runner = RunnerValue(9 - RankOf[t], in.enginePieces, t);
      totals.opponentRunnerBest = std::max(totals.opponentRunnerBest, runner);
    }
    if (t < 50 && in.enginePieces <= 480 && k2 < 40 && Distance[t][k2] < 2) {
      runner = KingEscortValue(t < 40, in.enginePieces);
      totals.opponentRunnerBest = std::max(totals.opponentRunnerBest, runner);
    }
  }

  // The opponent's free path counts two rows: from its last row but one, and from the row before
  // it when both squares ahead are free.
  if (in.engPhase < PasserEndPhase && runner < 400 && t < 50 && t != in.lastTarget) {
    uint8_t pawn = board[t];
    board[t] = Empty;
    auto free = [&board](int square) {
      return SideOf(board[square]) != EngineSide && !IsAttacked(board, square, EngineSide);
    };
    if (t < 40) {
      if (free(t - 10)) totals.opponentPasserSum += 550;
    } else if (free(t - 10) && free(t - 20)) {
      totals.opponentPasserSum += 250;
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
                        enginePieces == 480 && opponentPieces == 480,
                        engineToMove,
                        oppPhase,
                        engPhase};
  PasserTotals totals{};
  for (int i = 0; i < state.enginePasserCount; i++)
    if (state.passerList[i] != 0) EvaluateEnginePasser(board, state, state.passerList[i], in, totals);
  for (int i = 8; i < state.opponentPasserEnd; i++)
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
  if (engineQueenPresent) totals.enginePasserSum += totals.engineRunnerBest / 4;
  totals.enginePasserSum = std::min(totals.enginePasserSum, PasserSumCap);
  totals.opponentPasserSum += totals.opponentRunnerBest;
  if (opponentQueenPresent) totals.opponentPasserSum += totals.opponentRunnerBest / 4;
  totals.opponentPasserSum = std::min(totals.opponentPasserSum, PasserSumCap);
  state.passedPawnTerm += totals.enginePasserSum - totals.opponentPasserSum;
}
