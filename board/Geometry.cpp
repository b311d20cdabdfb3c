#include "board/Geometry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "board/Move.h"

Board EmptyBoard;
Board StartBoard;

int32_t PieceValue[PieceCodeCount];
int32_t PieceWeight[PieceCodeCount];
uint8_t EvalPieceMask[PieceCodeCount];

int32_t RankOf[BoardSize];
int32_t FileOf[BoardSize];
int32_t EdgeClass[BoardSize];
int32_t RookFileFlag[BoardSize];
uint8_t EngineCentreFlag[BoardSize];
uint8_t OpponentCentreFlag[BoardSize];

// Square colour by mailbox index, row 11 at the top; 99 off the board.
// clang-format off
const int32_t SquareColour[BoardSize] = {
  99, 99, 99, 99, 99, 99, 99, 99, 99, 99,  // row 0
  99, 99, 99, 99, 99, 99, 99, 99, 99, 99,  // row 1
  99,  1,  0,  1,  0,  1,  0,  1,  0, 99,  // row 2
  99,  0,  1,  0,  1,  0,  1,  0,  1, 99,  // row 3
  99,  1,  0,  1,  0,  1,  0,  1,  0, 99,  // row 4
  99,  0,  1,  0,  1,  0,  1,  0,  1, 99,  // row 5
  99,  1,  0,  1,  0,  1,  0,  1,  0, 99,  // row 6
  99,  0,  1,  0,  1,  0,  1,  0,  1, 99,  // row 7
  99,  1,  0,  1,  0,  1,  0,  1,  0, 99,  // row 8
  99,  0,  1,  0,  1,  0,  1,  0,  1, 99,  // row 9
  99, 99, 99, 99, 99, 99, 99, 99, 99, 99,  // row 10
  99, 99, 99, 99, 99, 99, 99, 99, 99, 99,  // row 11
  99, 99, 99, 99, 99, 99, 99, 99,          // indices 120..127
};
// clang-format on

const int8_t KnightOffsets[8] = {8, 19, 21, 12, -8, -19, -21, -12};
const int8_t KingOffsets[8] = {9, 10, 11, 1, -9, -10, -11, -1};
Move KnightMoves[StepTableSize][8];
Move KingMoves[StepTableSize][8];

int32_t RayDirectionTable[2 * MaxSquareDifference + 1];

uint8_t Distance[BoardSize][BoardSize];

uint64_t SquareBit[MaskTableSize];
uint64_t FileAhead[MaskTableSize];
uint64_t FileBehind[MaskTableSize];
uint64_t AdjacentFiles3[MaskTableSize];
uint64_t AdjacentBehind[MaskTableSize];
uint64_t AdjacentAhead[MaskTableSize];
uint64_t SpanAhead[MaskTableSize];
uint64_t SpanBehind[MaskTableSize];

int32_t EnginePawnAdvance[BoardSize];
int32_t OpponentPawnAdvance[BoardSize];
int32_t FileCentrality[10];
int32_t InwardSquare[BoardSize];
uint8_t NotAheadOnFile[BoardSize][BoardSize];
uint8_t NotBehindOnFile[BoardSize][BoardSize];
static void InitPieceTables() {
  for (int code = 0; code < PieceCodeCount; code++) {
    PieceValue[code] = 0;
    PieceWeight[code] = 0;
  }
  struct {
    uint8_t engine, opponent;
    int32_t value, weight;
  } const pieces[] = {
      {EnginePawn, OpponentPawn, 95, 1},      {EngineKnight, OpponentKnight, 305, 2},
      {EngineBishop, OpponentBishop, 310, 2}, {EngineRook, OpponentRook, 480, 4},
      {EngineQueen, OpponentQueen, 900, 9},   {EngineKing, OpponentKing, 1000, 10},
  };
  for (const auto &piece : pieces) {
    PieceValue[piece.engine] = PieceValue[piece.opponent] = piece.value;
    PieceWeight[piece.engine] = PieceWeight[piece.opponent] = piece.weight;
  }
  // The evaluation handles the engine's rooks and queens apart from the other pieces.
  for (int code = 0; code < PieceCodeCount; code++)
    EvalPieceMask[code] = PieceWeight[code] > 0 && code != EngineRook && code != EngineQueen ? 1 : 0;
}

static void InitEmptyBoard() {
  std::memset(EmptyBoard.cell, Border, BoardSize);
  for (int index = 0; index < BoardSize; index++)
    if (IsPlayingSquare(index)) EmptyBoard[index] = Empty;
  EmptyBoard[20] = Sentinel;
  EmptyBoard[99] = Sentinel;
  EmptyBoard[EngineRights] = 0;
  EmptyBoard[OpponentRights] = 0;
  EmptyBoard[EnPassantSquare] = 0;
}

static void InitStepMoves() {
  for (int square = 0; square < StepTableSize; square++) {
    for (int k = 0; k < 8; k++) {
      KnightMoves[square][k] = NullMove;
      KingMoves[square][k] = NullMove;
      if (!IsPlayingSquare(square)) continue;
      int knightTarget = square + KnightOffsets[k];
      if (IsPlayingSquare(knightTarget))
        KnightMoves[square][k] = Move{Square(square), Square(knightTarget), StepMove, 0};
      int kingTarget = square + KingOffsets[k];
      if (IsPlayingSquare(kingTarget))
        KingMoves[square][k] = Move{Square(square), Square(kingTarget), StepMove, 0};
    }
  }
}

static void InitRankAndFileTables() {
  for (int index = 0; index < BoardSize; index++) {
    RankOf[index] = index / 10 - 1;
    FileOf[index] = index % 10;
  }
  for (int index = 0; index < BoardSize; index++) {
    int rank = RankOf[index], file = FileOf[index];
    if (index == 21 || index == 28 || index == 91 || index == 98)
      EdgeClass[index] = 2;
    else if (rank == 1 || rank == 8 || file == 1 || file == 8)
      EdgeClass[index] = 1;
    else
      EdgeClass[index] = 0;
    RookFileFlag[index] = file == 1 || file == 8 ? 1 : 0;
    EngineCentreFlag[index] = index == 34 || index == 35 || index == 44 || index == 45 ? 1 : 0;
    OpponentCentreFlag[index] = index == 74 || index == 75 || index == 84 || index == 85 ? 1 : 0;
  }
}

static void InitStartBoard() {
  static const uint8_t backRow[8] = {17, 9, 13, 21, 25, 13, 9, 17};
  StartBoard = EmptyBoard;
  for (int column = 1; column <= 8; column++) {
    StartBoard[20 + column] = backRow[column - 1];
    StartBoard[30 + column] = EnginePawn;
    StartBoard[80 + column] = OpponentPawn;
    StartBoard[90 + column] = uint8_t(backRow[column - 1] + 1);
  }
  StartBoard[EngineRights] = 3;
  StartBoard[OpponentRights] = 3;
  StartBoard[EnPassantSquare] = 0;
  StartBoard[EngineKingSquare] = 25;  // e1
  StartBoard[OpponentKingSquare] = 95;
}

static void InitDirectionTables() {
  for (int d = -MaxSquareDifference; d <= MaxSquareDifference; d++)
    RayDirectionTable[d + MaxSquareDifference] = (d < 0 ? -1 : 1) * LineStep(d);
}

static void InitDistanceTable() {
  for (int a = 0; a < BoardSize; a++)
    for (int b = 0; b < BoardSize; b++)
      Distance[a][b] = uint8_t(std::max(std::abs(FileOf[a] - FileOf[b]), std::abs(RankOf[a] - RankOf[b])));
}
void InitBoardTables() {
  InitPieceTables();
  InitEmptyBoard();
  InitStepMoves();
  InitRankAndFileTables();
  InitStartBoard();
  InitDirectionTables();
  InitDistanceTable();
}

// Union of the bits of the squares start + step, start + 2 step, ... while within [low, high].
static uint64_t LineBits(int start, int step, int low, int high) {
  uint64_t bits = 0;
  for (int square = start + step; square >= low && square <= high; square += step) bits |= SquareBit[square];
  return bits;
}

void InitEvaluationMasks() {
  for (int s = 0; s < MaskTableSize; s++) {
    SquareBit[s] = IsPlayingSquare(s) ? uint64_t(1) << ((FileOf[s] - 1) * 8 + (RankOf[s] - 1)) : 0;
    FileAhead[s] = FileBehind[s] = AdjacentFiles3[s] = AdjacentBehind[s] = AdjacentAhead[s] = 0;
    SpanAhead[s] = SpanBehind[s] = 0;
  }
  for (int s = 21; s <= 98; s++) {
    if (!IsPlayingSquare(s)) continue;
    if (s <= 78) FileAhead[s] = LineBits(s, 10, 0, 88);
    if (s >= 41) FileBehind[s] = LineBits(s, -10, 31, 98);
  }
  for (int s = 31; s <= 88; s++) {
    if (!IsPlayingSquare(s)) continue;
    bool hasLeft = FileOf[s] > 1, hasRight = FileOf[s] < 8;
    if (hasLeft) {
      AdjacentFiles3[s] |= SquareBit[s - 11] | SquareBit[s - 1] | SquareBit[s + 9];
      AdjacentBehind[s] |= SquareBit[s - 1] | SquareBit[s - 11];
      AdjacentAhead[s] |= SquareBit[s - 1] | SquareBit[s + 9];
      SpanAhead[s] |= FileAhead[s - 1];
      SpanBehind[s] |= FileBehind[s - 1];
    }
    if (hasRight) {
      AdjacentFiles3[s] |= SquareBit[s - 9] | SquareBit[s + 1] | SquareBit[s + 11];
      AdjacentBehind[s] |= SquareBit[s + 1] | SquareBit[s - 9];
      AdjacentAhead[s] |= SquareBit[s + 1] | SquareBit[s + 11];
      SpanAhead[s] |= FileAhead[s + 1];
      SpanBehind[s] |= FileBehind[s + 1];
    }
    SpanAhead[s] |= FileAhead[s];
    SpanBehind[s] |= FileBehind[s];
  }

  for (int column = 0; column < 10; column++)
    FileCentrality[column] = column < 5 ? (column - 1) * 8 : (8 - column) * 8;
  for (int index = 0; index < BoardSize; index++) {
    int rank = RankOf[index], file = FileOf[index];
    EnginePawnAdvance[index] = (rank - 2) * 6;
    OpponentPawnAdvance[index] = (7 - rank) * 6;
    int inward = index;
    if (file == 1) inward += 1;
    if (file == 8) inward -= 1;
    if (rank == 1) inward += 10;
    if (rank == 8) inward -= 10;
    InwardSquare[index] = inward;
  }
  for (int a = 0; a < BoardSize; a++) {
    for (int b = 0; b < BoardSize; b++) {
      bool both = IsPlayingSquare(a) && IsPlayingSquare(b);
      bool otherFile = FileOf[a] != FileOf[b];
      NotAheadOnFile[a][b] = both && (RankOf[a] > RankOf[b] || otherFile) ? 1 : 0;
      NotBehindOnFile[a][b] = both && (RankOf[a] < RankOf[b] || otherFile) ? 1 : 0;
    }
  }
}
