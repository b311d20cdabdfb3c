#include "eval/Evaluate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <initializer_list>

#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/SquareScan.h"
#include "eval/Pawns.h"
#include "eval/Score.h"
#include "eval/SquareTable.h"

// ---------------------------------------------------------------------------------------------
// Piece-square tables, row 9 (the opponent's back row) at the top, columns 1..8.
// clang-format off
static constexpr SquareTable EngineKnightTable = TableFromRows(9, {
  {-60,  8,  8,  8,  8,  8,  8, -60},
  { -2,  8, 13, 13, 13, 13,  8,  -2},
  { -2,  6, 13, 13, 13, 13,  6,  -2},
  { -2,  2, 13, 13, 13, 13,  2,  -2},
  { -2,  2,  9,  9,  9,  9,  2,  -2},
  { -2,  0,  4,  4,  4,  4,  0,  -2},
  { -2,  0,  2,  2,  2,  2,  0,  -2},
  { -9, -4,  0,  1,  1,  0, -6,  -9},
});
static constexpr SquareTable OpponentKnightTable = TableFromRows(9, {
  { -9, -4,  0,  1,  1,  0, -4,  -9},
  { -2,  0,  2,  2,  2,  2,  0,  -2},
  { -2,  0,  4,  4,  4,  4,  0,  -2},
  { -2,  2,  9,  9,  9,  9,  2,  -2},
  { -2,  5, 13, 13, 13, 13,  5,  -2},
  { -2,  6, 13, 13, 13, 13,  6,  -2},
  { -2,  8, 13, 13, 13, 13,  8,  -2},
  { -2,  8,  8,  8,  8,  8,  8,  -2},
});
static constexpr SquareTable EngineBishopTable = TableFromRows(9, {
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  8, 10, 10, 10, 10,  8,   0},
  {  0,  4,  8, 10, 10,  8,  4,   0},
  {  0,  0,  8, 10, 10,  8,  0,   0},
  {  0,  0,  0,  6,  6,  0,  0,   0},
  { -5,  0,  6,  0,  0,  6,  0,  -5},
  {  0,  6,  0, -1, -2,  0,  6,   0},
  { -9, -3, -3, -3, -3, -3, -3,  -9},
});
static constexpr SquareTable OpponentBishopTable = TableFromRows(9, {
  { -9, -3, -3, -3, -3, -3, -3,  -9},
  {  0,  6,  0,  0,  0,  0,  6,   0},
  {  0,  0,  6,  0,  0,  6,  0,   0},
  {  0,  0,  0,  6,  6,  0,  0,   0},
  {  0,  0,  8, 10, 10,  8,  0,   0},
  {  0,  4,  8, 10, 10,  8,  4,   0},
  {  0,  8, 10, 10, 10, 10,  8,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
});
static constexpr SquareTable EngineRookTable = TableFromRows(9, {
  { 28, 34, 34, 34, 34, 34, 34,  28},
  { 34, 40, 40, 40, 40, 40, 40,  34},
  {  4,  6,  6,  6,  6,  6,  6,   4},
  {  0,  0,  6,  6,  6,  6,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
});
static constexpr SquareTable OpponentRookTable = TableFromRows(9, {
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  6,  6,  6,  6,  0,   0},
  {  4,  6,  6,  6,  6,  6,  6,   4},
  { 34, 40, 40, 40, 40, 40, 40,  34},
  { 28, 34, 34, 34, 34, 34, 34,  28},
});
// Used as 2 x value - 40.
static constexpr SquareTable EngineQueenTable = TableFromRows(9, {
  { 33, 36, 40, 40, 40, 40, 40,  33},
  { 33, 36, 40, 40, 40, 40, 40,  33},
  { 33, 36, 40, 40, 40, 40, 36,  33},
  { 33, 34, 38, 38, 38, 38, 34,  33},
  { 32, 33, 36, 36, 36, 36, 33,  32},
  { 26, 32, 33, 33, 33, 33, 32,  26},
  { 25, 26, 33, 33, 33, 33, 26,  25},
  { 25, 25, 30, 30, 30, 30, 25,  25},
});
// Used as 2 x value - 50.
static constexpr SquareTable OpponentQueenTable = TableFromRows(9, {
  { 25, 25, 30, 30, 30, 30, 25,  25},
  { 25, 30, 33, 33, 33, 33, 30,  25},
  { 30, 32, 33, 33, 33, 33, 32,  30},
  { 32, 33, 36, 36, 36, 36, 33,  32},
  { 33, 34, 38, 38, 38, 38, 34,  33},
  { 33, 36, 40, 40, 40, 40, 36,  33},
  { 33, 36, 40, 40, 40, 40, 36,  33},
  { 33, 36, 40, 40, 40, 40, 36,  33},
});
static constexpr SquareTable EngineKingEndTable = TableFromRows(9, {
  {  0,  8,  8,  8,  8,  8,  8,   0},
  {  0,  8, 10, 10, 10, 10,  8,   0},
  {  0,  6,  8, 10, 10,  8,  6,   0},
  {  0,  5,  8, 10, 10,  8,  5,   0},
  {  0,  4,  5,  7,  7,  5,  4,   0},
  {  0,  3,  4,  5,  5,  4,  3,   0},
  { -3,  1,  2,  3,  3,  2,  1,  -3},
  { -4, -2,  0,  1,  1,  0, -2,  -4},
});
static constexpr SquareTable OpponentKingEndTable = TableFromRows(9, {
  { -4, -2,  0,  1,  1,  0, -2,  -4},
  { -3,  1,  2,  3,  3,  2,  1,  -3},
  {  0,  3,  4,  5,  5,  4,  3,   0},
  {  0,  4,  5,  7,  7,  5,  4,   0},
  {  4,  5,  8, 10, 10,  8,  5,   4},
  {  5,  6,  8, 10, 10,  8,  6,   5},
  {  5,  8, 10, 10, 10, 10,  8,   5},
  {  0,  8,  8,  8,  8,  8,  8,   0},
});

// Where a rook's file scan stopped (a pawn, or the border beyond the last row): the farther the
// file is open, the more it is worth. The engine's table starts at row 10, the border above the
// board; the opponent's ends at row 1, the border below it.
static constexpr SquareTable EngineRookFileEnd = TableFromRows(10, {
  { 18, 20, 20, 20, 20, 20, 20,  18},
  { 10, 12, 12, 12, 12, 12, 12,  10},
  {  8, 10, 10, 10, 10, 10, 10,   8},
  {  6,  8,  8,  8,  8,  8,  8,   6},
  {  4,  6,  6,  6,  6,  6,  6,   4},
  {  0,  4,  4,  4,  4,  4,  4,   0},
  {  0,  2,  2,  2,  2,  2,  2,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
});
static constexpr SquareTable OpponentRookFileEnd = TableFromRows(9, {
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  2,  2,  2,  2,  2,  2,   0},
  {  0,  4,  4,  4,  4,  4,  4,   0},
  {  4,  6,  6,  6,  6,  6,  6,   4},
  {  6,  8,  8,  8,  8,  8,  8,   6},
  {  8, 10, 10, 10, 10, 10, 10,   8},
  { 10, 12, 12, 12, 12, 12, 12,  10},
  { 18, 20, 20, 20, 20, 20, 20,  18},
});
// clang-format on

static constexpr int8_t EscapeOffsets[8] = {1, 9, 10, 11, -1, -9, -10, -11};
static constexpr int32_t EscapePenalty[5] = {128, 96, 64, 32, 0};

// Piece material at which the game is still a middle game for the other side's king and pawns.
constexpr int32_t MiddleGamePieceMaterial = 1650;
// Contents below this are empty squares and pieces; pawns, the sentinel and the border lie above.
constexpr uint8_t PawnOrEdgeCode = 33;

// ---------------------------------------------------------------------------------------------
// Square tests.

namespace {
// The pieces on the board by code: each code's squares as a mask numbered as PieceSquareBits
// numbers them, so that walking a mask from its low bit meets them in the order of the walk from
// 21 upward. Only the twelve piece codes are filled.
struct PieceSquares {
  uint64_t bits[PieceCodeCount];
};
}  // namespace

// Whether a piece of the given code stands on one of the square's diagonals (diagonal) or on its
// row or file (!diagonal) with nothing between them: the few such pieces are asked, rather than
// every line of the square walked.
static bool SeenAlongLines(const Board &board, const PieceSquares &pieces, int square, uint8_t piece,
                           bool diagonal) {
  for (uint64_t bits = pieces.bits[piece]; bits != 0; bits &= bits - 1) {
    int from = SquareOfBit(std::countr_zero(bits));
    int direction = RayDirection(square - from);
    int step = std::abs(direction);
    if (step == 0 || (step == 9 || step == 11) != diagonal) continue;
    int s = from + direction;
    while (board[s] == Empty) s += direction;
    if (s == square) return true;
  }
  return false;
}

// An opponent bishop or rook looks at it
static bool KnightHarassed(const Board &board, const PieceSquares &pieces, int square) {
  return SeenAlongLines(board, pieces, square, OpponentBishop, true) ||
         SeenAlongLines(board, pieces, square, OpponentRook, false);
}

// An opponent rook looks at it
static bool BishopHarassed(const Board &board, const PieceSquares &pieces, int square) {
  return SeenAlongLines(board, pieces, square, OpponentRook, false);
}

// Opponent rook up the file, no pawn between
static bool OpponentRookOnQueenFile(const Board &board, int square) {
  for (int t = square + 10; t < 99; t += 10) {
    uint8_t piece = board[t];
    if (piece == OpponentRook) return true;
    if (piece == EngineRook || piece == EnginePawn || piece == OpponentPawn) return false;
  }
  return false;
}

// 10 per opponent rook or queen up the file
static int32_t OpponentHeavyOnFile(const Board &board, int square) {
  int32_t sum = 0;
  for (int t = square + 10; t < 99 && board[t] != OpponentPawn; t += 10)
    if (board[t] == OpponentRook || board[t] == OpponentQueen) sum += 10;
  return sum;
}

// ---------------------------------------------------------------------------------------------
// The scan.

namespace {
// What one evaluation carries from square to square.
struct Scan {
  Board &board;
  EvalState &state;
  const EvalContext &context;
  const PieceSquares &pieces;
  int lastTo;  // destination of the move that led here
  bool pawnsChanged;
  bool kingSafety;
  int32_t oppPhase;  // opponentPieceMaterial - 1650: at most 0 is an endgame for the engine's king and pawns
  int32_t engPhase;  // enginePieceMaterial - 1650: the same for the opponent's
  int engineBishops = 0;
  int opponentBishops = 0;
  int opponentHeavyOnSecondRow = 0;
  int enginePawnFill = 0;
  int opponentPawnFill = 0;
  bool engineQueenPresent = false;
  bool opponentQueenPresent = false;
  int farthestOpponentKingToEnginePawn = 1;
  int farthestEngineKingToOpponentPawn = 1;
  // The terms the scan adds up, kept here (where they can stay in registers) and stored into the
  // EvalState when the scan closes.
  int32_t pieceSquare = 0;
  int32_t positional = 0;
  int32_t threat = 0;
  int32_t engineKing = 0;
  int32_t opponentKing = 0;
  // Each side's bishops by square colour (0 or 1, as SquareColour gives it), for the pawns.
  int32_t engineBishopsOn[2] = {};
  int32_t opponentBishopsOn[2] = {};
};
}  // namespace

// ---------------------------------------------------------------------------------------------
// King safety: the squares around the king's inward square that the enemy does not attack. They
// are found from the enemy's pieces rather than by an attack test per square: a leaper reaches a
// fixed set of them from where it stands relative to the centre, a slider those whose line to it
// is open.

// Bit i: the square EscapeOffsets[i] from the centre.
using BoxMask = std::array<uint8_t, 2 * MaxSquareDifference + 1>;

// By a piece's square minus the centre: the box squares a piece with these steps reaches.
template <size_t N>
static constexpr BoxMask BoxMaskFor(const int (&steps)[N]) {
  BoxMask masks{};
  for (int d = -MaxSquareDifference; d <= MaxSquareDifference; d++)
    for (int i = 0; i < 8; i++)
      for (int step : steps)
        if (EscapeOffsets[i] - d == step) masks[d + MaxSquareDifference] |= uint8_t(1 << i);
  return masks;
}
// The board's knight and king offsets and the pawns' capture steps, as compile-time constants.
static constexpr int KnightSteps[8] = {8, 19, 21, 12, -8, -19, -21, -12};
static constexpr int KingSteps[8] = {9, 10, 11, 1, -9, -10, -11, -1};
static constexpr int EnginePawnSteps[2] = {9, 11};
static constexpr int OpponentPawnSteps[2] = {-9, -11};
static constexpr BoxMask KnightBox = BoxMaskFor(KnightSteps);
static constexpr BoxMask KingBox = BoxMaskFor(KingSteps);
static constexpr BoxMask EnginePawnBox = BoxMaskFor(EnginePawnSteps);
static constexpr BoxMask OpponentPawnBox = BoxMaskFor(OpponentPawnSteps);

// The box squares on a diagonal, or on a row or file, of a piece.
static constexpr BoxMask LineBoxMask(bool diagonal) {
  BoxMask masks{};
  for (int d = -MaxSquareDifference; d <= MaxSquareDifference; d++) {
    for (int i = 0; i < 8; i++) {
      int step = LineStep(EscapeOffsets[i] - d);
      if (step != 0 && (step == 9 || step == 11) == diagonal)
        masks[d + MaxSquareDifference] |= uint8_t(1 << i);
    }
  }
  return masks;
}
static constexpr BoxMask DiagonalBox = LineBoxMask(true);
static constexpr BoxMask OrthogonalBox = LineBoxMask(false);

// reached, with the box squares of lines (those on the slider's lines) that the slider on from
// sees over empty squares.
static uint8_t SliderBox(const Board &board, int from, int centre, uint8_t lines, uint8_t reached) {
  for (uint8_t open = lines & ~reached; open != 0; open &= uint8_t(open - 1)) {
    int i = std::countr_zero(open);
    int target = centre + EscapeOffsets[i];
    int direction = RayDirection(target - from);
    int s = from + direction;
    while (s != target && board[s] == Empty) s += direction;
    if (s == target) reached |= uint8_t(1 << i);
  }
  return reached;
}

// 128, 96, 64, 32 or 0 for 0..4 safe squares around the side's king, looking from one step inside
// the board.
static int32_t EscapeDanger(Board &board, const PieceSquares &pieces, int side) {
  bool engineKing = side == EngineSide;
  int king = board[engineKing ? EngineKingSquare : OpponentKingSquare];
  int centre = InwardSquare[king];
  auto each = [&](uint8_t piece, auto &&visit) { ForEachSquareOf(pieces.bits[piece], visit); };
  uint8_t reached = 0;
  auto leaper = [&](uint8_t piece, const BoxMask &box) {
    each(piece, [&](int s) { reached |= box[s - centre + MaxSquareDifference]; });
  };
  leaper(engineKing ? OpponentPawn : EnginePawn, engineKing ? OpponentPawnBox : EnginePawnBox);
  leaper(engineKing ? OpponentKnight : EngineKnight, KnightBox);
  leaper(engineKing ? OpponentKing : EngineKing, KingBox);

  uint8_t held = board[king];
  board[king] = Empty;  // the king does not shield the squares behind it
  auto slider = [&](uint8_t piece, bool diagonal, bool orthogonal) {
    each(piece, [&](int s) {
      int index = s - centre + MaxSquareDifference;
      uint8_t lines = (diagonal ? DiagonalBox[index] : 0) | (orthogonal ? OrthogonalBox[index] : 0);
      reached = SliderBox(board, s, centre, lines, reached);
    });
  };
  slider(engineKing ? OpponentBishop : EngineBishop, true, false);
  slider(engineKing ? OpponentRook : EngineRook, false, true);
  slider(engineKing ? OpponentQueen : EngineQueen, true, true);
  board[king] = held;
  int safe = 8 - std::popcount(reached);
  return EscapePenalty[std::min(safe, 4)];
}

// Room along the row for a rook, valued by how central a column it reaches (the rook is on
// column 1..8 and looks towards the centre).
static int32_t RowMobility(const Board &board, int s) {
  auto v = [](int column) { return FileCentrality[column]; };
  auto empty = [&board](int square) { return board[square] == Empty; };
  switch (FileOf[s]) {
    case 1:
      return empty(s + 1) ? (empty(s + 2) ? (empty(s + 3) ? v(4) : v(3)) : v(2)) : v(1);
    case 2:
      return empty(s + 1) ? (empty(s + 2) ? v(4) : v(3)) : v(2);
    case 3:
      return empty(s + 1) ? v(4) : v(3);
    case 4:
      return v(4);
    case 5:
      return v(5);
    case 6:
      return empty(s - 1) ? v(5) : v(6);
    case 7:
      return empty(s - 1) ? (empty(s - 2) ? v(5) : v(6)) : v(7);
    default:
      return empty(s - 1) ? (empty(s - 2) ? (empty(s - 3) ? v(5) : v(6)) : v(7)) : v(8);
  }
}

// Scans a rook's file in direction step, counting 5 for every rook of the same code met, and
// returns the square that ended the scan: the first pawn, or the border beyond the board.
static int RookFileStop(const Board &board, int s, int step, int32_t &doubling) {
  uint8_t rook = board[s];
  int p = s + step;
  for (; board[p] < PawnOrEdgeCode; p += step)
    if (board[p] == rook) doubling += 5;
  return p;
}

// How far a bishop's diagonal reaches: past the first enemy pawn by one square, up to an own pawn,
// and never beyond the last playing square.
static int DiagonalReach(const Board &board, int s, int step, uint8_t enemyPawn) {
  int stop = s + step;
  while (board[stop] < PawnOrEdgeCode) stop += step;
  int end = board[stop] == enemyPawn ? stop + step : stop;
  if (SideOf(board[end]) == OffBoardSide) end -= step;
  return end;
}

// Knight mobility: 4 per reachable square, at most 12.
static int32_t KnightMobility(const Board &board, int s, int enemySide, uint8_t ownKing) {
  int32_t sum = 0;
  for (int8_t offset : KnightOffsets) {
    uint8_t target = board[s + offset];
    if (target == Empty || SideOf(target) == enemySide || target == ownKing) sum += 4;
    if (sum >= 12) break;
  }
  return sum;
}

static bool EnginePawnBehind(const Board &board, int s) {
  return board[s - 9] == EnginePawn || board[s - 11] == EnginePawn;
}

static void ScoreEngineRook(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare += EngineRookTable[s];

  int32_t doubling = 0;
  int p = RookFileStop(board, s, 10, doubling);
  if (board[p] == OpponentPawn) {
    if (board[p + 11] != OpponentPawn && board[p + 9] != OpponentPawn) {
      positional += 8;
      if (p > 60) positional += doubling;
    }
  } else if (board[p] != EnginePawn) {
    positional += doubling;
  }
  positional += EngineRookFileEnd[p];

  if (s < 80) {
    positional += RowMobility(board, s);
    // A rook on an edge file shut in by its own king or pawn beside it.
    int neighbour = FileOf[s] == 1 ? s + 1 : FileOf[s] == 8 ? s - 1 : 0;
    if (neighbour != 0 && (board[neighbour] == EngineKing || board[neighbour] == EnginePawn))
      positional -= 25;
  }

  // Something other than its own rooks and queens stands between the rook and its back row.
  if (s > 40) {
    int t = s - 10;
    while (t >= 30 && EvalPieceMask[board[t]] == 0) t -= 10;
    if (t > 30) positional -= 15;
  }
}

static void ScoreEngineKnight(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare += 2 * EngineKnightTable[s];
  positional += KnightMobility(board, s, OpponentSide, EngineKing);

  // Far up the board a knight needs a way back: a free square no opponent pawn covers, or a capture.
  if (s > 50) {
    bool retreat = false;
    for (int k = 4; k < 8 && !retreat; k++) {
      int t = s + KnightOffsets[k];
      uint8_t target = board[t];
      retreat = (target == Empty && board[t + 9] != OpponentPawn && board[t + 11] != OpponentPawn) ||
                (SideOf(target) == OpponentSide && target != OpponentPawn);
    }
    if (!retreat) positional -= 50;
  }
  if (KnightHarassed(board, scan.pieces, s)) positional -= EnginePawnBehind(board, s) ? 5 : 20;
}

static void ScoreEngineBishop(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare += EngineBishopTable[s];
  if (BishopHarassed(board, scan.pieces, s)) positional -= EnginePawnBehind(board, s) ? 5 : 20;
  scan.engineBishops++;

  if (s < 30) {
    // Still at home with both diagonals shut.
    if (board[s + 9] != Empty && board[s + 11] != Empty) {
      if (s == 26)
        positional -= board[35] == EngineKnight || board[37] == EngineKnight ? 7 : 15;
      else
        positional -= board[s + 9] == EngineKnight || board[s + 11] == EngineKnight ? 2 : 10;
    }
    if (s == 28 && board[46] == OpponentPawn) positional -= 30;
    if (s == 21 && board[43] == OpponentPawn) positional -= 30;
  } else if (s > 50) {
    // Deep in the opponent's half with its way back cut.
    if (FileOf[s] == 1) {
      if (board[s - 9] != Empty)
        positional -= 150;
      else if (board[s - 18] != Empty)
        positional -= 40;
    } else if (FileOf[s] == 8) {
      if (board[s - 11] != Empty)
        positional -= 150;
      else if (board[s - 22] != Empty)
        positional -= 40;
    } else if (board[s - 11] != Empty && board[s - 9] != Empty) {
      positional -= 40;
    }
  }

  int e1 = DiagonalReach(board, s, 11, OpponentPawn), e2 = DiagonalReach(board, s, 9, OpponentPawn);
  positional += std::max(EnginePawnAdvance[e1], EnginePawnAdvance[e2]);
}

static void ScoreEngineQueen(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare += 2 * EngineQueenTable[s] - 40;
  scan.engineQueenPresent = true;
  if (OpponentRookOnQueenFile(board, s)) positional -= 10;
  if (Distance[s][InwardSquare[board[OpponentKingSquare]]] <= 2) positional += 30;

  // Out in the open on a wing with an own piece in its line back home.
  if (s > 40) {
    int step = FileOf[s] >= 7 ? -11 : FileOf[s] <= 2 ? -9 : 0;
    if (step != 0) {
      int t = s + step;
      while (board[t] == Empty) t += step;
      if (t > 30) positional -= 30;
    }
  }
}

static void ScoreEnginePawn(Scan &scan, int s) {
  Board &board = scan.board;
  EvalState &state = scan.state;
  if (scan.pawnsChanged && scan.enginePawnFill < 8)
    state.enginePawnSquares[scan.enginePawnFill++] = int8_t(s);
  if (scan.oppPhase <= 0)
    scan.farthestOpponentKingToEnginePawn =
        std::max<int>(scan.farthestOpponentKingToEnginePawn, Distance[s][board[OpponentKingSquare]]);

  // Own bishops on the pawn's square colour.
  scan.positional -= 4 * scan.engineBishopsOn[SquareColour[s]];

  if (s < 40) {
    uint8_t blocker = board[s + 10];
    if (SideOf(blocker) == OpponentSide) {
      if (blocker == OpponentKnight) {
        if (!RookFileFlag[s]) scan.positional -= 15;
      } else if (blocker == OpponentRook) {
        if (!RookFileFlag[s]) scan.positional -= 10;
      } else {
        scan.positional -= 15;
      }
    }
    if ((s == 34 || s == 35) && blocker != Empty) scan.positional -= 10;
  }

  if (s != scan.lastTo) {
    for (int t : {s + 9, s + 11}) {
      uint8_t target = board[t];
      if (t != scan.lastTo && SideOf(target) == OpponentSide && target < PawnOrEdgeCode) scan.threat += 65;
    }
  }
}

// The king's end table, weighted up when the opponent has little left to attack with.
static int32_t KingEndTerm(const SquareTable &table, int s, int32_t enemyPhase, int32_t enemyPieceMaterial) {
  if (enemyPhase < -649) return (enemyPieceMaterial == 480 ? 2 : 4) * table[s];
  return table[s];
}

static void ScoreEngineShelter(Scan &scan, int k) {
  const Board &board = scan.board;
  const uint64_t pawns = scan.state.enginePawnBits;
  int32_t &term = scan.engineKing;
  // An open file on the king: a pawn in front of it, or none at all.
  auto noPawnOnFileBelow = [pawns](int square) { return (FileBehind[square] & pawns) == 0; };
  auto penaltyForFile = [&](int square, int32_t pawnThere, int32_t none) {
    if (noPawnOnFileBelow(square)) term -= board[square] == EnginePawn ? pawnThere : none;
  };
  penaltyForFile(k + 30, 24, 48);
  if (board[EngineRights] != 0) return;

  if (k >= 25) {
    if (k > 26) {
      if (board[46] == OpponentPawn && board[36] == EnginePawn) term -= 36;
      if (board[47] == OpponentPawn && board[37] == EnginePawn) term -= 36;
    }
    term -= OpponentHeavyOnFile(board, 27) + OpponentHeavyOnFile(board, 28);
    if (k != 28) penaltyForFile(58, 6, 12);
    if (k != 27) penaltyForFile(57, 6, 12);
    if (board[37] == EnginePawn) {
      if (board[36] != EnginePawn && board[38] != EnginePawn) term -= 6;
    } else if (noPawnOnFileBelow(56) && board[37] != EngineBishop && board[46] != EngineBishop) {
      term -= 6;
    }
  } else {
    if (k < 23) {
      if (board[42] == OpponentPawn && board[32] == EnginePawn) term -= 36;
      if (board[43] == OpponentPawn && board[33] == EnginePawn) term -= 36;
    }
    term -= OpponentHeavyOnFile(board, 21) + OpponentHeavyOnFile(board, 22);
    if (k != 21) penaltyForFile(51, 6, 12);
    if (k != 22) penaltyForFile(52, 6, 12);
    if (board[32] == EnginePawn) {
      if (board[31] != EnginePawn && board[33] != EnginePawn) term -= 6;
    } else if (noPawnOnFileBelow(53) && board[32] != EngineBishop && board[43] != EngineBishop) {
      term -= 6;
    }
  }
}

static void ScoreEngineKing(Scan &scan, int s) {
  Board &board = scan.board;
  EvalState &state = scan.state;
  const int opponentKing = board[OpponentKingSquare];
  const bool guarded = scan.context.engineCastleReady || board[EngineRights] == 0;
  if (scan.oppPhase <= 0) {
    scan.engineKing += KingEndTerm(EngineKingEndTable, s, scan.oppPhase, state.opponentPieceMaterial);
    // Drive the bare enemy king to the edge and walk up to it.
    if (state.opponentMaterial < 650 && state.opponentPawnMaterial == 0 &&
        state.enginePieceMaterial - state.opponentPieceMaterial > 450)
      scan.engineKing += (7 - Distance[s][opponentKing]) * 32 + Distance[55][opponentKing] * 32;
  } else if (s >= 41) {
    scan.engineKing -= 112;
  } else if (guarded) {
    if (FileOf[s] < 5) {
      if (board[s + 11] != EnginePawn && (s > 30 || board[s + 22] != EnginePawn)) scan.engineKing -= 6;
    } else if (board[s + 9] != EnginePawn && (s > 30 || board[s + 18] != EnginePawn)) {
      scan.engineKing -= 6;
    }
    ScoreEngineShelter(scan, s);
  }

  if (scan.kingSafety) {
    state.engineKingDanger = 0;
    if (state.opponentPieceMaterial > 480 && guarded) {
      state.engineKingDanger = EscapeDanger(board, scan.pieces, EngineSide);
      if (scan.oppPhase < -799) state.engineKingDanger /= 2;
    }
  }
}

static void ScoreOpponentRook(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare -= OpponentRookTable[s];

  int32_t doubling = 0;
  int p = RookFileStop(board, s, -10, doubling);
  if (board[p] == EnginePawn) {
    if (board[p - 11] != EnginePawn && board[p - 9] != EnginePawn) {
      positional -= 8;
      if (p < 59) positional -= doubling;
    }
  } else if (board[p] != OpponentPawn) {
    positional -= doubling;
  }
  positional -= OpponentRookFileEnd[p];

  if (s < 41) {
    if (s > 30) scan.opponentHeavyOnSecondRow++;
  } else {
    positional -= RowMobility(board, s);
  }
}

static void ScoreOpponentKnight(Scan &scan, int s) {
  scan.pieceSquare -= 2 * OpponentKnightTable[s];
  scan.positional -= KnightMobility(scan.board, s, EngineSide, OpponentKing);
}

static void ScoreOpponentBishop(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare -= OpponentBishopTable[s];
  scan.opponentBishops++;

  if (s == 31 && board[42] == EnginePawn) {
    positional += 20;
  } else if (s == 38 && board[47] == EnginePawn) {
    positional += 20;
  } else if (s > 90) {
    if (board[s - 9] != Empty && board[s - 11] != Empty)
      positional += board[s - 9] == OpponentKnight || board[s - 11] == OpponentKnight ? 2 : 10;
    if (s == 98 && board[76] == EnginePawn && (board[67] == EnginePawn || board[65] == EnginePawn))
      positional += 30;
    if (s == 91 && board[73] == EnginePawn && (board[62] == EnginePawn || board[64] == EnginePawn))
      positional += 30;
  }

  int e1 = DiagonalReach(board, s, -11, EnginePawn), e2 = DiagonalReach(board, s, -9, EnginePawn);
  positional -= std::max(OpponentPawnAdvance[e1], OpponentPawnAdvance[e2]);
}

static void ScoreOpponentQueen(Scan &scan, int s) {
  Board &board = scan.board;
  scan.pieceSquare -= 2 * OpponentQueenTable[s] - 50;
  scan.opponentQueenPresent = true;
  if (Distance[s][InwardSquare[board[EngineKingSquare]]] <= 2) scan.positional -= 30;
  if (RankOf[s] == 2) scan.opponentHeavyOnSecondRow++;
}

static void ScoreOpponentPawn(Scan &scan, int s) {
  Board &board = scan.board;
  EvalState &state = scan.state;
  if (scan.pawnsChanged && scan.opponentPawnFill < 8)
    state.opponentPawnSquares[scan.opponentPawnFill++] = int8_t(s);
  if (scan.engPhase <= 0)
    scan.farthestEngineKingToOpponentPawn =
        std::max<int>(scan.farthestEngineKingToOpponentPawn, Distance[s][board[EngineKingSquare]]);

  scan.positional += 4 * scan.opponentBishopsOn[SquareColour[s]];

  // An engine piece blocking the pawn on its start row (not on the rook files).
  if (s > 80 && SideOf(board[s - 10]) == EngineSide && !RookFileFlag[s]) {
    uint8_t blocker = board[s - 10];
    if (blocker == EngineRook)
      scan.positional += 10;
    else if (blocker != EnginePawn)
      scan.positional += 15;
  }

  if (s != scan.lastTo) {
    for (int t : {s - 9, s - 11}) {
      uint8_t target = board[t];
      if (t != scan.lastTo && SideOf(target) == EngineSide && target != EnginePawn) scan.threat -= 150;
    }
  }
}

static void ScoreOpponentKing(Scan &scan, int s) {
  Board &board = scan.board;
  EvalState &state = scan.state;
  if (scan.engPhase <= 0) {
    scan.opponentKing += KingEndTerm(OpponentKingEndTable, s, scan.engPhase, state.enginePieceMaterial);
  } else if (s < 80) {
    scan.opponentKing -= 112;
  } else if (board[OpponentRights] == 0) {
    if (FileOf[s] < 5) {
      if (board[s - 9] != OpponentPawn && (s < 90 || board[s - 18] != OpponentPawn)) scan.opponentKing -= 6;
    } else if (board[s - 11] != OpponentPawn && (s < 90 || board[s - 22] != OpponentPawn)) {
      scan.opponentKing -= 6;
    }
    if (!(FileAhead[s - 30] & state.opponentPawnBits))
      scan.opponentKing -= board[s - 30] == OpponentPawn ? 24 : 48;
  }

  if (scan.kingSafety) {
    state.opponentKingDanger = 0;
    if (state.enginePieceMaterial > 480 && (scan.context.opponentCastleReady || board[OpponentRights] == 0)) {
      state.opponentKingDanger = EscapeDanger(board, scan.pieces, OpponentSide);
      if (scan.engPhase < -799) state.opponentKingDanger /= 2;
    }
  }
}

// Rules that need the whole board seen.
static void CloseScan(Scan &scan) {
  Board &board = scan.board;
  EvalState &state = scan.state;
  int32_t &positional = scan.positional;

  if (scan.engineBishops > 1) positional += scan.oppPhase <= 0 ? 50 : 35;
  if (scan.opponentBishops > 1) positional -= scan.engPhase <= 0 ? 50 : 35;

  if (scan.opponentHeavyOnSecondRow > 1) positional -= board[EngineKingSquare] < 30 ? 36 : 18;

  if (SideOf(board[43]) == EngineSide && board[43] != EnginePawn)
    positional += scan.context.cPawnBlockPenalty;

  // Without the enemy queen a king's shortcomings matter a quarter less.
  if (scan.engineKing < 0 && scan.oppPhase > 0 && !scan.opponentQueenPresent)
    scan.engineKing -= scan.engineKing / 4;
  if (scan.opponentKing < 0 && scan.engPhase > 0 && !scan.engineQueenPresent)
    scan.opponentKing -= scan.opponentKing / 4;

  // In the endgame a king belongs near the enemy pawns.
  if (scan.engPhase <= 0) {
    int far = scan.farthestEngineKingToOpponentPawn;
    positional -= state.enginePieceMaterial == 0 ? 32 * far - 32 : 8 * far - 8;
  }
  if (scan.oppPhase <= 0) {
    int far = scan.farthestOpponentKingToEnginePawn;
    positional += state.opponentPieceMaterial == 0 ? 32 * far - 32 : 8 * far - 8;
  }

  state.pieceSquareSum = scan.pieceSquare;
  state.positionalTerm = scan.positional;
  state.threatTerm = scan.threat;
  state.engineKingTerm = scan.engineKing;
  state.opponentKingTerm = scan.opponentKing;
}

void Evaluate(Board &board, EvalState &state, bool engineToMove, Move lastMove, bool pawnsChanged,
              bool kingSafety, const EvalContext &context) {
  state.runnerCount = 0;
  state.passedPawnTerm = 0;
  if (pawnsChanged) {
    std::fill(std::begin(state.enginePawnSquares), std::end(state.enginePawnSquares), 0);
    std::fill(std::begin(state.opponentPawnSquares), std::end(state.opponentPawnSquares), 0);
    state.doubledTerm = 0;
    state.enginePasserCount = 0;
    state.opponentPasserEnd = 8;
  }
  // Every rule of the scan adds to sums, except the pawn lists, which keep the order of the walk
  // from 21 upward. So the pieces are found kind by kind, each kind's squares in that order, and
  // each kind is scored in one run: the same result, without a hard-to-predict jump per square.
  // The king-safety test reads the enemy's pieces from the same masks.
  PieceSquares pieces;
  PackedRows rows = PackRows(board);
  for (uint8_t piece : {EnginePawn, OpponentPawn, EngineKnight, OpponentKnight, EngineBishop, OpponentBishop,
                        EngineRook, OpponentRook, EngineQueen, OpponentQueen, EngineKing, OpponentKing})
    pieces.bits[piece] = SquaresHolding(rows, piece);
  Scan scan{board,
            state,
            context,
            pieces,
            lastMove.to,
            pawnsChanged,
            kingSafety,
            state.opponentPieceMaterial - MiddleGamePieceMaterial,
            state.enginePieceMaterial - MiddleGamePieceMaterial};
  scan.engineBishopsOn[0] = state.engineBishopsOnColour0;
  scan.engineBishopsOn[1] = state.engineBishopsOnColour1;
  scan.opponentBishopsOn[0] = state.opponentBishopsOnColour0;
  scan.opponentBishopsOn[1] = state.opponentBishopsOnColour1;

  auto scoreAll = [&](uint8_t piece, void (*score)(Scan &, int)) {
    ForEachSquareOf(pieces.bits[piece], [&](int s) { score(scan, s); });
  };
  scoreAll(EnginePawn, ScoreEnginePawn);
  scoreAll(OpponentPawn, ScoreOpponentPawn);
  scoreAll(EngineKnight, ScoreEngineKnight);
  scoreAll(OpponentKnight, ScoreOpponentKnight);
  scoreAll(EngineBishop, ScoreEngineBishop);
  scoreAll(OpponentBishop, ScoreOpponentBishop);
  scoreAll(EngineRook, ScoreEngineRook);
  scoreAll(OpponentRook, ScoreOpponentRook);
  scoreAll(EngineQueen, ScoreEngineQueen);
  scoreAll(OpponentQueen, ScoreOpponentQueen);
  scoreAll(EngineKing, ScoreEngineKing);
  scoreAll(OpponentKing, ScoreOpponentKing);
  CloseScan(scan);

  if (pawnsChanged) EvaluatePawnStructure(board, state);
  if (state.enginePasserCount > 0 || state.opponentPasserEnd > 8) {
    PasserTotals totals =
        EvaluatePassedPawns(board, state, engineToMove, lastMove, scan.oppPhase, scan.engPhase);
    CombinePassedPawns(totals, scan.engineQueenPresent, scan.opponentQueenPresent, state);
  }
}

void EvaluateRoot(Board &root, EvalState &state, const EvalContext &context, Move lastMove) {
  constexpr int RootDepth = 1, RootPly = 1;
  BuildPawnBits(state, root);
  Evaluate(root, state, true, lastMove, true, true, context);
  SumScore(root, state, context, RootDepth, RootPly);
}
