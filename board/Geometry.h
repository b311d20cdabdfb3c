// Every table that start-up computes from the board geometry: piece values and weights, rank and
// file tables, steps and distances, the precomputed knight and king moves, and the masks and
// square tables of the evaluation. Written once at start-up, read only afterwards.
//
//   InitBoardTables       the board tables and fixed boards
//   InitEvaluationMasks   the evaluation masks and tables (start-up, after the TT)
//   RayDirection          the signed step joining two squares on a line, 0 when none
//   LineStep              the same rule, unsigned, at compile time
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/Move.h"

// Tables filled once by InitBoardTables.
extern Board EmptyBoard;
extern Board StartBoard;

extern int32_t PieceValue[PieceCodeCount];
extern int32_t PieceWeight[PieceCodeCount];
extern uint8_t EvalPieceMask[PieceCodeCount];

extern int32_t RankOf[BoardSize];
extern int32_t FileOf[BoardSize];
extern int32_t EdgeClass[BoardSize];
extern int32_t RookFileFlag[BoardSize];
extern uint8_t EngineCentreFlag[BoardSize];
extern uint8_t OpponentCentreFlag[BoardSize];
extern const int32_t SquareColour[BoardSize];

extern const int8_t KnightOffsets[8];
extern const int8_t KingOffsets[8];
constexpr int StepTableSize = 99;
extern Move KnightMoves[StepTableSize][8];
extern Move KingMoves[StepTableSize][8];

// Tables indexed by a square difference -77..77.
constexpr int MaxSquareDifference = 77;
extern int32_t RayDirectionTable[2 * MaxSquareDifference + 1];
inline int32_t RayDirection(int difference) { return RayDirectionTable[difference + MaxSquareDifference]; }
// The step (1, 9, 10 or 11, without sign) of the line joining two playing squares that lie
// difference apart, 0 when they share none: the rule RayDirectionTable is filled by, for tables
// computed at compile time.
constexpr int LineStep(int difference) {
  int a = difference < 0 ? -difference : difference;
  if (a == 0) return 0;
  if (a <= 7) return 1;
  if (a % 10 == 0) return 10;
  if (a % 9 == 0) return 9;
  if (a % 11 == 0) return 11;
  return 0;
}

extern uint8_t Distance[BoardSize][BoardSize];

// Evaluation masks: one bit per playing square, bit = (file - 1) * 8 + (rank - 1).
constexpr int MaskTableSize = 99;
extern uint64_t SquareBit[MaskTableSize];
extern uint64_t FileAhead[MaskTableSize];
extern uint64_t FileBehind[MaskTableSize];
extern uint64_t AdjacentFiles3[MaskTableSize];
extern uint64_t AdjacentBehind[MaskTableSize];
extern uint64_t AdjacentAhead[MaskTableSize];
extern uint64_t SpanAhead[MaskTableSize];
extern uint64_t SpanBehind[MaskTableSize];

// Evaluation tables by square.
extern int32_t EnginePawnAdvance[BoardSize];
extern int32_t OpponentPawnAdvance[BoardSize];
extern int32_t FileCentrality[10];
extern int32_t InwardSquare[BoardSize];
extern uint8_t NotAheadOnFile[BoardSize][BoardSize];
extern uint8_t NotBehindOnFile[BoardSize][BoardSize];

// ---------------------------------------------------------------------------------------------
void InitBoardTables();      // fills every table and fixed board
void InitEvaluationMasks();  // the evaluation masks and tables (start-up, after the TT)
