// The board seen from the engine's side, the move record, the game history and every table that
// start-up computes from the board geometry.
//
// Board: a 10 x 12 mailbox (indices 0..119, index = 10 * row + column) with the position state
// appended at fixed indices, 128 bytes in all, copied whole into every search node. The engine's
// pieces carry odd codes, stand at the bottom (its back row is mailbox row 2) and its pawns move
// towards higher indices; the opponent's pieces carry even codes. When the engine plays Black the
// mailbox is mirrored top to bottom; files are never mirrored. Playing squares are rows 2..9 and
// columns 1..8 (21..98); everything else holds Border, except indices 20 and 99 which hold the
// Sentinel that ends an upward scan from 21.
//
// Move: four bytes compared and copied as one 32-bit word. Inside a MoveList a move carries a
// generator kind (ray direction, PawnMove, StepMove, SpecialMove, EndOfList); once an iterator has
// handed it out it carries a resolved kind (QuietMove, CastlingMove, EnPassantMove, CaptureMove).
//
// GameHistory: positions of the game since the last irreversible move, for repetition tests.
// Entries 1..count are in use; entry 0 belongs to the search driver.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include <emmintrin.h>

// ---------------------------------------------------------------------------------------------
// Square contents: the low two bits are the side bits.
constexpr uint8_t Empty = 0;
constexpr uint8_t EngineKnight = 9;
constexpr uint8_t OpponentKnight = 10;
constexpr uint8_t EngineBishop = 13;
constexpr uint8_t OpponentBishop = 14;
constexpr uint8_t EngineRook = 17;
constexpr uint8_t OpponentRook = 18;
constexpr uint8_t EngineQueen = 21;
constexpr uint8_t OpponentQueen = 22;
constexpr uint8_t EngineKing = 25;
constexpr uint8_t OpponentKing = 26;
constexpr uint8_t Sentinel = 35;      // "#": on 20 and 99, ends scans that run upward from 21
constexpr uint8_t EnginePawn = 37;    // "%"
constexpr uint8_t OpponentPawn = 38;  // "&"
constexpr uint8_t Border = 39;

constexpr uint8_t SideMask = 3;
constexpr uint8_t EngineSide = 1;
constexpr uint8_t OpponentSide = 2;
constexpr uint8_t OffBoardSide = 3;

// Position state at fixed indices of the board record.
constexpr int EngineRights = 120;     // bit 1: may castle king side (rook on 28), bit 2: queen side (21)
constexpr int OpponentRights = 121;   // bit 1: king side (rook on 98), bit 2: queen side (91)
constexpr int EnPassantSquare = 122;  // the pawn that just made a double step, 0 = none
constexpr int EngineKingSquare = 124;
constexpr int OpponentKingSquare = 125;

constexpr int BoardSize = 128;
constexpr int PieceCodeCount = 40;

using Square = int8_t;

struct Board {
  uint8_t cell[BoardSize];

  uint8_t &operator[](int index) { return cell[index]; }
  const uint8_t &operator[](int index) const { return cell[index]; }
};
static_assert(sizeof(Board) == 128, "a board is a 128-byte record");

inline uint8_t SideOf(uint8_t content) { return content & SideMask; }

// Piece scans that test sixteen squares at once, so that empty squares cost nothing. SideBits is
// EngineSide, OpponentSide, or AnySide for every piece of either side (never an empty square, the
// border or a sentinel). The squares come out as the plain walk from 21 up to the sentinel on 99
// (or down from 98) meets them; the board is read once, before the first square is visited.
constexpr int AnySide = 0;

// The 64 playing squares, two rows to a 16-byte vector (byte 8 * (row - 2) + column - 1 of the
// whole, as PieceSquareBits numbers them), so that one byte compare per vector finds a piece code
// on sixteen squares at once. Pack once, then ask for as many codes as needed.
struct PackedRows {
  __m128i rowPair[4];
};

inline PackedRows PackRows(const Board &board) {
  PackedRows rows;
  for (int i = 0; i < 4; i++) {
    __m128i lower = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(&board.cell[21 + 20 * i]));
    __m128i upper = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(&board.cell[31 + 20 * i]));
    rows.rowPair[i] = _mm_unpacklo_epi64(lower, upper);
  }
  return rows;
}

// Bit 8 * (row - 2) + (column - 1) is set when that playing square holds a piece of the side asked
// for: sixteen squares' side bits are compared at once.
template <int SideBits>
inline uint64_t PieceSquareBits(const PackedRows &rows) {
  const __m128i sideMask = _mm_set1_epi8(char(SideMask));
  uint64_t bits = 0;
  for (int i = 0; i < 4; i++) {
    __m128i side = _mm_and_si128(rows.rowPair[i], sideMask);
    int found;
    if constexpr (SideBits == AnySide) {  // neither an empty square nor the border or a sentinel
      __m128i none = _mm_or_si128(_mm_cmpeq_epi8(side, _mm_setzero_si128()), _mm_cmpeq_epi8(side, sideMask));
      found = ~_mm_movemask_epi8(none);
    } else {
      found = _mm_movemask_epi8(_mm_cmpeq_epi8(side, _mm_set1_epi8(char(SideBits))));
    }
    bits |= uint64_t(uint16_t(found)) << (16 * i);
  }
  return bits;
}

template <int SideBits>
inline uint64_t PieceSquareBits(const Board &board) {
  return PieceSquareBits<SideBits>(PackRows(board));
}

// The mailbox square of a bit of PieceSquareBits.
inline int SquareOfBit(int bit) { return 21 + bit + 2 * (bit / 8); }

// The squares holding the piece code, as a PieceSquareBits mask.
inline uint64_t SquaresHolding(const PackedRows &rows, uint8_t piece) {
  __m128i code = _mm_set1_epi8(char(piece));
  uint64_t bits = 0;
  for (int i = 0; i < 4; i++) {
    auto found = uint16_t(_mm_movemask_epi8(_mm_cmpeq_epi8(rows.rowPair[i], code)));
    bits |= uint64_t(found) << (16 * i);
  }
  return bits;
}

// The squares that are not empty, as a PieceSquareBits mask: pieces and pawns of either side.
inline uint64_t OccupiedSquareBits(const PackedRows &rows) { return ~SquaresHolding(rows, Empty); }

// Lines from a playing square, as PieceSquareBits masks, for finding the first square that is not
// empty along a line without walking it. A line's squares run away from its square in the order of
// the mask's bits for a positive step and against it for a negative one, since the bits follow the
// mailbox order.
struct LineMasks {
  int8_t bitOfSquare[BoardSize];  // -1 off the playing squares
  uint64_t line[64][8];           // by bit and LineIndex of the step, the square itself excluded
  int8_t end[64][8];              // the square beyond the line's last one (the border or a sentinel)
};

// 0..7 for the steps -11, -10, -9, -1, 1, 9, 10, 11.
constexpr int LineIndex(int step) {
  return step < -1 ? step + 11 : step == -1 ? 3 : step == 1 ? 4 : step - 4;
}

constexpr LineMasks MakeLineMasks() {
  LineMasks masks{};
  for (int s = 0; s < BoardSize; s++) masks.bitOfSquare[s] = -1;
  for (int bit = 0; bit < 64; bit++) masks.bitOfSquare[21 + bit + 2 * (bit / 8)] = int8_t(bit);
  for (int bit = 0; bit < 64; bit++) {
    int from = 21 + bit + 2 * (bit / 8);
    for (int step : {-11, -10, -9, -1, 1, 9, 10, 11}) {
      int to = from + step;
      while (to >= 0 && to < BoardSize && masks.bitOfSquare[to] >= 0) {
        masks.line[bit][LineIndex(step)] |= uint64_t(1) << masks.bitOfSquare[to];
        to += step;
      }
      masks.end[bit][LineIndex(step)] = int8_t(to);
    }
  }
  return masks;
}
inline constexpr LineMasks Lines = MakeLineMasks();

// The first square from the playing square `from` along step that is not empty (a piece, a pawn,
// or the border or a sentinel beyond the last square), as the walk over empty squares finds it.
inline int FirstStopAlong(uint64_t occupied, int from, int step) {
  int bit = Lines.bitOfSquare[from], index = LineIndex(step);
  uint64_t hits = Lines.line[bit][index] & occupied;
  if (hits == 0) return Lines.end[bit][index];
  return SquareOfBit(step > 0 ? std::countr_zero(hits) : 63 - std::countl_zero(hits));
}

// Visits the squares of a PieceSquareBits mask from 21 upward, resp. from 98 downward.
template <typename Visit>
inline void ForEachSquareOf(uint64_t bits, Visit &&visit) {
  for (; bits != 0; bits &= bits - 1) visit(SquareOfBit(std::countr_zero(bits)));
}

template <typename Visit>
inline void ForEachSquareDescending(uint64_t bits, Visit &&visit) {
  while (bits != 0) {
    int bit = 63 - std::countl_zero(bits);
    visit(SquareOfBit(bit));
    bits &= ~(uint64_t(1) << bit);
  }
}

template <int SideBits, typename Visit>
inline void ForEachPieceSquare(const Board &board, Visit &&visit) {
  ForEachSquareOf(PieceSquareBits<SideBits>(board), visit);
}

// ---------------------------------------------------------------------------------------------
// Move kinds. Ray records carry their direction (-11..11) as the kind.
constexpr int8_t QuietMove = 10;
constexpr int8_t CastlingMove = 30;
constexpr int8_t EnPassantMove = 40;
constexpr int8_t CaptureMove = 60;
constexpr int8_t PawnMove = 90;
constexpr int8_t StepMove = 100;
constexpr int8_t SpecialMove = 110;
constexpr int8_t EndOfList = 120;

struct Move {
  Square from;
  Square to;
  int8_t kind;
  uint8_t promotion;  // piece code the pawn becomes, 0 = none

  uint32_t Word() const { return std::bit_cast<uint32_t>(*this); }
  bool IsNull() const { return Word() == 0; }
  friend bool operator==(Move a, Move b) { return a.Word() == b.Word(); }
};
static_assert(sizeof(Move) == 4, "a move is one 32-bit word");

constexpr Move NullMove{0, 0, 0, 0};
constexpr Move EndMove{0, 0, EndOfList, 0};
constexpr Move EngineCastleShort{25, 27, SpecialMove, 0};
constexpr Move EngineCastleLong{25, 23, SpecialMove, 0};
constexpr Move OpponentCastleShort{95, 97, SpecialMove, 0};
constexpr Move OpponentCastleLong{95, 93, SpecialMove, 0};

constexpr int MoveListSize = 128;

// A stack of generator records: slot 0 holds EndMove, records from slot 1 upward.
struct MoveList {
  Move slot[MoveListSize];
};

// ---------------------------------------------------------------------------------------------
// Game history.
constexpr int HistoryLimit = 110;

struct HistoryEntry {
  Board board;
  uint8_t sideMarker;  // 0 from the game flow and set-up, 1 for the search's root
  uint32_t keyLow;
  uint32_t keyHigh;
};

struct GameHistoryRecord {
  HistoryEntry entry[HistoryLimit + 1];
  int32_t count;
};

// The game as the game flow keeps it. The engine's colour lives here because square names,
// set-up and the books read it, and they sit below the driver.
struct GamePosition {
  Board currentBoard;    // the position of the game now
  Board gameStartBoard;  // where the current game or set-up began
  GameHistoryRecord gameHistory;
  int32_t fiftyMoveCount;  // plies since the last irreversible one
  bool engineIsWhite;      // the odd side is White; false mirrors the mailbox
};
extern GamePosition Game;

// ---------------------------------------------------------------------------------------------
// EvalState: the per-node record of the search path, the material and the incremental
// evaluation terms, copied by value into every search node together with the board. Created
// from a scan of the board before a search; MakeMove keeps the material fields, the search the
// path fields and the evaluation the term fields.
struct EvalState {
  uint64_t positionKey;     // Zobrist key of the placement (low and high halves)
  int32_t reversibleCount;  // reversible moves on the search path
  int32_t extensionCount;   // extensions applied on the path
  int32_t extensionCredit;  // -5 at the root
  int32_t lazyReuse;        // null-move nesting; lets the summation keep the parent's sum
  int32_t captureCredit;    // 0 or 1
  int32_t harmlessQuietCount;
  int32_t runnerCount;          // engine passed pawns that pass the king-support test
  int32_t futilityMargin;       // written by a node for its children
  int32_t queenBalance;         // engine minus opponent queens
  int32_t rookBalance;          // engine minus opponent rooks
  int32_t minorBalance;         // engine minus opponent knights plus bishops
  int32_t enginePasserCount;    // engine passed pawns in passerList
  int32_t opponentPasserEnd;    // 8 + opponent passed pawns in passerList
  int8_t enginePawnSquares[8];  // engine pawns in scan order, 0 = unused
  int8_t opponentPawnSquares[8];
  int8_t passerList[16];       // 0..7 engine passed pawns, 8..15 the opponent's
  int32_t enginePawnMaterial;  // 95 per pawn
  int32_t opponentPawnMaterial;
  int32_t engineMaterial;  // PieceValue over the side's pieces, king excluded
  int32_t opponentMaterial;
  int32_t enginePieceMaterial;  // material minus pawn material
  int32_t opponentPieceMaterial;
  int32_t positionalSum;     // sum of the term fields
  int32_t positionalAdjust;  // the path bonus, from the engine's side
  int32_t doubledTerm;
  int32_t pawnStructureTerm;
  int32_t passedPawnTerm;
  int32_t pieceSquareSum;
  int32_t engineKingTerm;
  int32_t opponentKingTerm;
  int32_t engineKingDanger;
  int32_t opponentKingDanger;
  int32_t positionalTerm;
  int32_t threatTerm;
  int32_t totalScore;  // the static evaluation the search reads
  int32_t engineBishopsOnColour1;
  int32_t engineBishopsOnColour0;
  int32_t opponentBishopsOnColour1;
  int32_t opponentBishopsOnColour0;
  uint64_t enginePawnBits;
  uint64_t opponentPawnBits;
};

// ---------------------------------------------------------------------------------------------
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
bool IsPlayingSquare(int index);  // rows 2..9 and columns 1..8 of the mailbox
void InitBoardTables();           // fills every table and fixed board; empties the game records
void InitEvaluationMasks();       // the evaluation masks and tables (start-up, after the TT)
void ResetGamePosition();         // CurrentBoard := StartBoard, history and counters empty

// Exactly one king of each side on the playing squares; fills the king-square bytes.
bool FindKings(Board &board);
bool SamePosition(const Board &a, const Board &b);  // squares 21..98 and bytes 120..122
// The same position seen from the other side: rows mirrored, the sides' codes, castling rights and
// king squares swapped, the en passant pawn's square mirrored with the board.
Board SeenFromOtherSide(const Board &board);
bool SameStateBytes(const Board &a, const Board &b);  // bytes 120..122 only
void HistoryPush(const Board &board, uint8_t sideMarker, uint32_t keyLow, uint32_t keyHigh);
bool IsRepeated(const Board &board, uint8_t sideMarker, uint32_t keyLow, uint32_t keyHigh);
bool IsTwofold(const Board &board, uint8_t sideMarker, uint32_t keyLow, uint32_t keyHigh);
bool IsThreefold(const Board &board, uint8_t sideMarker, uint32_t keyLow, uint32_t keyHigh);
// Updates FiftyMoveCount for a ply played in the game by the given piece; empties the history
// when the ply was irreversible. The caller pushes the new position afterwards.
void CountFiftyMoveRule(uint8_t movingPiece, int8_t kind);
