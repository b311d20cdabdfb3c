#include "eval/Evaluate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <initializer_list>

#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/SquareScan.h"
#include "board/Squares.h"
#include "eval/Material.h"
#include "eval/Pawns.h"
#include "eval/Score.h"
#include "eval/SquareTable.h"

// ---------------------------------------------------------------------------------------------
// Piece-square tables, the engine's row 8 (the opponent's back row) at the top, files a..h. Where
// the two sides' tables are not mirrors, the line above them says how and why; mostly the engine
// is stricter with its own pieces than with the opponent's.
// The knights: the engine keeps its own from the far corners (-60 against -2) and off its g1 (-6
// against -4).
// clang-format off
static constexpr SquareTable EngineKnightTable = TableFromRows(LastRow, {
  {-60,  8,  8,  8,  8,  8,  8, -60},
  { -2,  8, 13, 13, 13, 13,  8,  -2},
  { -2,  6, 13, 13, 13, 13,  6,  -2},
  { -2,  2, 13, 13, 13, 13,  2,  -2},
  { -2,  2,  9,  9,  9,  9,  2,  -2},
  { -2,  0,  4,  4,  4,  4,  0,  -2},
  { -2,  0,  2,  2,  2,  2,  0,  -2},
  { -9, -4,  0,  1,  1,  0, -6,  -9},
});
static constexpr SquareTable OpponentKnightTable = TableFromRows(LastRow, {
  { -9, -4,  0,  1,  1,  0, -4,  -9},
  { -2,  0,  2,  2,  2,  2,  0,  -2},
  { -2,  0,  4,  4,  4,  4,  0,  -2},
  { -2,  2,  9,  9,  9,  9,  2,  -2},
  { -2,  5, 13, 13, 13, 13,  5,  -2},
  { -2,  6, 13, 13, 13, 13,  6,  -2},
  { -2,  8, 13, 13, 13, 13,  8,  -2},
  { -2,  8,  8,  8,  8,  8,  8,  -2},
});
// The bishops: the engine's own lose a little on d2 and e2 and more on a3 and h3, the opponent's
// nothing on the mirrored squares.
static constexpr SquareTable EngineBishopTable = TableFromRows(LastRow, {
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  8, 10, 10, 10, 10,  8,   0},
  {  0,  4,  8, 10, 10,  8,  4,   0},
  {  0,  0,  8, 10, 10,  8,  0,   0},
  {  0,  0,  0,  6,  6,  0,  0,   0},
  { -5,  0,  6,  0,  0,  6,  0,  -5},
  {  0,  6,  0, -1, -2,  0,  6,   0},
  { -9, -3, -3, -3, -3, -3, -3,  -9},
});
static constexpr SquareTable OpponentBishopTable = TableFromRows(LastRow, {
  { -9, -3, -3, -3, -3, -3, -3,  -9},
  {  0,  6,  0,  0,  0,  0,  6,   0},
  {  0,  0,  6,  0,  0,  6,  0,   0},
  {  0,  0,  0,  6,  6,  0,  0,   0},
  {  0,  0,  8, 10, 10,  8,  0,   0},
  {  0,  4,  8, 10, 10,  8,  4,   0},
  {  0,  8, 10, 10, 10, 10,  8,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
});
static constexpr SquareTable EngineRookTable = TableFromRows(LastRow, {
  { 28, 34, 34, 34, 34, 34, 34,  28},
  { 34, 40, 40, 40, 40, 40, 40,  34},
  {  4,  6,  6,  6,  6,  6,  6,   4},
  {  0,  0,  6,  6,  6,  6,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
});
static constexpr SquareTable OpponentRookTable = TableFromRows(LastRow, {
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  0,  0,  0,  0,  0,   0},
  {  0,  0,  6,  6,  6,  6,  0,   0},
  {  4,  6,  6,  6,  6,  6,  6,   4},
  { 34, 40, 40, 40, 40, 40, 40,  34},
  { 28, 34, 34, 34, 34, 34, 34,  28},
});
// The queens, used as 2 x value - base (the bases below): the engine's own is worth less on a3,
// h3, b2 and g2, out of play at home, and more on g7 and g8, beside a king castled short.
static constexpr SquareTable EngineQueenTable = TableFromRows(LastRow, {
  { 33, 36, 40, 40, 40, 40, 40,  33},
  { 33, 36, 40, 40, 40, 40, 40,  33},
  { 33, 36, 40, 40, 40, 40, 36,  33},
  { 33, 34, 38, 38, 38, 38, 34,  33},
  { 32, 33, 36, 36, 36, 36, 33,  32},
  { 26, 32, 33, 33, 33, 33, 32,  26},
  { 25, 26, 33, 33, 33, 33, 26,  25},
  { 25, 25, 30, 30, 30, 30, 25,  25},
});
static constexpr SquareTable OpponentQueenTable = TableFromRows(LastRow, {
  { 25, 25, 30, 30, 30, 30, 25,  25},
  { 25, 30, 33, 33, 33, 33, 30,  25},
  { 30, 32, 33, 33, 33, 33, 32,  30},
  { 32, 33, 36, 36, 36, 36, 33,  32},
  { 33, 34, 38, 38, 38, 38, 34,  33},
  { 33, 36, 40, 40, 40, 40, 36,  33},
  { 33, 36, 40, 40, 40, 40, 36,  33},
  { 33, 36, 40, 40, 40, 40, 36,  33},
});
// The kings in the endgame: the opponent's king is credited on the edge files of the engine's
// half (rows 2 to 4), the engine's own on the mirrored squares not: the engine fears the
// opponent's king breaking in more than it counts on its own.
static constexpr SquareTable EngineKingEndTable = TableFromRows(LastRow, {
  {  0,  8,  8,  8,  8,  8,  8,   0},
  {  0,  8, 10, 10, 10, 10,  8,   0},
  {  0,  6,  8, 10, 10,  8,  6,   0},
  {  0,  5,  8, 10, 10,  8,  5,   0},
  {  0,  4,  5,  7,  7,  5,  4,   0},
  {  0,  3,  4,  5,  5,  4,  3,   0},
  { -3,  1,  2,  3,  3,  2,  1,  -3},
  { -4, -2,  0,  1,  1,  0, -2,  -4},
});
static constexpr SquareTable OpponentKingEndTable = TableFromRows(LastRow, {
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
// file is open, the more it is worth. The engine's table starts on the border row above the board;
// the opponent's ends on the border row below it.
static constexpr SquareTable EngineRookFileEnd = TableFromRows(LastRow + 1, {
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
static constexpr SquareTable OpponentRookFileEnd = TableFromRows(LastRow, {
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

// The eight squares around a king's inward square, and the danger by how many of them are safe
// (0..4; more than four safe squares count as four).
constexpr int BoxSquareCount = 8, MaxCountedEscapes = 4;
static constexpr int8_t EscapeOffsets[BoxSquareCount] = {1, 9, 10, 11, -1, -9, -10, -11};
static constexpr int32_t EscapePenalty[MaxCountedEscapes + 1] = {128, 96, 64, 32, 0};

// Piece material at which the game is still a middle game for the other side's king and pawns.
constexpr int32_t MiddleGamePieceMaterial = 1650;
// Phases (the other side's piece material - 1650) deeper into the endgame: below LateEndgamePhase
// the king's end table weighs more, below DeepEndgamePhase the danger to a king counts half.
constexpr int32_t LateEndgamePhase = -649, DeepEndgamePhase = -799;
// Contents below this are empty squares and pieces; pawns, the sentinel and the border lie above.
constexpr uint8_t PawnOrEdgeCode = 33;
constexpr bool IsDiagonalStep(int step) { return step == UpLeft || step == UpRight; }
constexpr int MaxPawnsListed = 8;             // the length of each side's pawn list
constexpr int FirstBackwardKnightOffset = 4;  // KnightOffsets from here on lead down the board

// ---------------------------------------------------------------------------------------------
// Weights, as penalties or bonuses to the side they name. Where the engine's and the opponent's
// versions of a rule differ, the line says how and why. A rule marked "engine only" looks after
// the engine's own pieces: it is pessimistic, judging its own position strictly and leaving the
// opponent's weaknesses for the search to find.

// Minor pieces.
constexpr int32_t KnightMobilityStep = 4, KnightMobilityCap = 12;  // per square a knight reaches
constexpr int32_t KnightNoRetreat = 50;  // a knight far up the board with no way back (engine only)
// An engine knight or bishop an enemy slider looks at; less with an own pawn behind it. The
// opponent's pieces are not scored for this: the engine watches its own more than the opponent's.
constexpr int32_t Harassed = 20, HarassedSupported = 5;
// A bishop at home with both diagonals shut, less when its own knight shuts one of them; the
// engine's f1 bishop weighs more, as it shuts in the engine's king-side castling too.
constexpr int32_t ShutBishop = 10, ShutBishopByKnight = 2;
constexpr int32_t ShutKingBishop = 15, ShutKingBishopByKnight = 7;
constexpr int32_t CornerBishopBlocked = 30;  // a corner bishop whose long diagonal an enemy pawn shuts
// A bishop deep up the board with its way back cut (engine only).
constexpr int32_t BishopTrappedOnEdge = 150, BishopRetreatCut = 40;
// An opponent bishop on the engine's a2 or h2 shut in by its pawn on b3 or g3 (the engine's own
// bishops are judged by their way back instead).
constexpr int32_t OpponentBishopTrapped = 20;
constexpr int32_t BishopOnPawnColour = 4;  // per own bishop on a pawn's square colour
// Two bishops or more; the second weight when the other side's phase is an endgame.
constexpr int32_t BishopPair = 35, BishopPairEnd = 50;

// Rooks and queens.
constexpr int32_t RookDoubling = 5;     // per rook of the same side met on the file
constexpr int32_t RookOnLoosePawn = 8;  // the file scan stopped at an enemy pawn no pawn guards
// Engine only: a rook on an edge file shut in by its king or a pawn beside it, and a rook up the
// board with something between it and home.
constexpr int32_t RookShutIn = 25, RookCutFromHome = 15;
// Two or more opponent rooks or queens on the engine's second row, more with its king on the back
// row (engine only: the threat to its own king is what the engine watches).
constexpr int32_t HeavyOnSecondRow = 18, HeavyOnSecondRowKingHome = 36;
// The queen tables are read as 2 x value - base: the opponent's base is 10 higher, so its queen
// counts 10 less than the engine's on a square of the same table value.
constexpr int32_t EngineQueenBase = 40, OpponentQueenBase = 50;
constexpr int32_t QueenFacingRook = 10;  // a queen with an enemy rook up its file (engine only)
constexpr int QueenNearKingDistance = 2;
constexpr int32_t QueenNearKing = 30;       // a queen within two steps of the enemy king's inward square
constexpr int32_t QueenOnWingBlocked = 30;  // out on a wing, its way home blocked (engine only)

// Pawns (their structure and the passed pawns are scored in Pawns.cpp).
// A piece blocking a pawn on its start row. The engine's pawns count an enemy pawn as a blocker
// too, and on the rook files any blocker but a knight or a rook; the opponent's count neither:
// the engine is stricter with its own position.
constexpr int32_t PawnBlockedByKnight = 15, PawnBlockedByRook = 10, PawnBlockedByPiece = 15;
// The d- or e-pawn at home with its square ahead taken (engine only: it blocks its own development).
constexpr int32_t CentrePawnBlocked = 10;
// A pawn attacking an enemy piece (neither of them the one just moved). The opponent's threats
// weigh more than twice the engine's: the engine fears losing a piece more than it counts on
// winning one.
constexpr int32_t EnginePawnThreat = 65, OpponentPawnThreat = 150;

// Kings.
constexpr int32_t KingEndWeight = 4, KingEndWeightAgainstRook = 2;  // the end table weighted late
constexpr int32_t BareKingMaterial = 650, MatingLead = 450;  // below, and a lead beyond, for the mating drive
constexpr int MaxDistance = 7;
constexpr int32_t KingChase = 32;            // per step of king distance and of the bare king from the centre
constexpr int32_t KingLeftHome = 112;        // a king off its two back rows in the middle game
constexpr int32_t KingWithoutPawnCover = 6;  // no own pawn diagonally in front, on the centre's side
constexpr int ShelterRows = 3;               // how far up its file a king's pawn shelter is looked for
// No own pawn on the two squares in front of the king; the first weight when one stands on the third.
constexpr int32_t OpenKingFileWithPawn = 24, OpenKingFile = 48;
// The castled king's wing, engine only: the engine guards its own king's shelter closely and
// leaves an attack on the opponent's to the search.
constexpr int32_t OpenWingFileWithPawn = 6, OpenWingFile = 12;  // the same for the other files of the wing
constexpr int32_t PawnStormContact = 36;    // an opponent pawn on the third row in front of a shelter pawn
constexpr int32_t LooseShelterPawn = 6;     // the g- (b-) pawn alone, or gone with no bishop in its place
constexpr int32_t HeavyOnShelterFile = 10;  // per opponent rook or queen up a file of the engine's wing
constexpr int32_t NoQueenKingDivisor = 4;   // without the enemy queen a king term loses a quarter
constexpr int32_t KingToPawns = 8, KingToPawnsBare = 32;  // endgame, per step to the farthest enemy pawn

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
    if (step == 0 || IsDiagonalStep(step) != diagonal) continue;
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
  for (int t = square + Up; t <= EngineH8; t += Up) {
    uint8_t piece = board[t];
    if (piece == OpponentRook) return true;
    if (piece == EngineRook || piece == EnginePawn || piece == OpponentPawn) return false;
  }
  return false;
}

// HeavyOnShelterFile per opponent rook or queen up the file
static int32_t OpponentHeavyOnFile(const Board &board, int square) {
  int32_t sum = 0;
  for (int t = square + Up; t <= EngineH8 && board[t] != OpponentPawn; t += Up)
    if (board[t] == OpponentRook || board[t] == OpponentQueen) sum += HeavyOnShelterFile;
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
    for (int i = 0; i < BoxSquareCount; i++)
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
    for (int i = 0; i < BoxSquareCount; i++) {
      int step = LineStep(EscapeOffsets[i] - d);
      if (step != 0 && IsDiagonalStep(step) == diagonal) masks[d + MaxSquareDifference] |= uint8_t(1 << i);
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
  int safe = BoxSquareCount - std::popcount(reached);
  return EscapePenalty[std::min(safe, MaxCountedEscapes)];
}

// Room along the row for a rook: from its column towards the centre over empty squares, no
// farther than column 4 (coming from the left) or 5 (from the right); the column reached is valued.
static int32_t RowMobility(const Board &board, int s) {
  constexpr int LeftCentreColumn = 4, RightCentreColumn = 5;
  const int column = FileOf[s];
  const int step = column <= LeftCentreColumn ? 1 : -1;
  const int last = column <= LeftCentreColumn ? LeftCentreColumn : RightCentreColumn;
  int reached = column;
  while (reached != last && board[s + reached - column + step] == Empty) reached += step;
  return FileCentrality[reached];
}

// Scans a rook's file in direction step, counting RookDoubling for every rook of the same code met, and
// returns the square that ended the scan: the first pawn, or the border beyond the board.
static int RookFileStop(const Board &board, int s, int step, int32_t &doubling) {
  uint8_t rook = board[s];
  int p = s + step;
  for (; board[p] < PawnOrEdgeCode; p += step)
    if (board[p] == rook) doubling += RookDoubling;
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

// Knight mobility: KnightMobilityStep per reachable square, at most KnightMobilityCap.
static int32_t KnightMobility(const Board &board, int s, int enemySide, uint8_t ownKing) {
  int32_t sum = 0;
  for (int8_t offset : KnightOffsets) {
    uint8_t target = board[s + offset];
    if (target == Empty || SideOf(target) == enemySide || target == ownKing) sum += KnightMobilityStep;
    if (sum >= KnightMobilityCap) break;
  }
  return sum;
}

static bool EnginePawnBehind(const Board &board, int s) {
  return board[s - UpLeft] == EnginePawn || board[s - UpRight] == EnginePawn;
}

static void ScoreEngineRook(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare += EngineRookTable[s];

  int32_t doubling = 0;
  int p = RookFileStop(board, s, Up, doubling);
  if (board[p] == OpponentPawn) {
    if (board[p + UpRight] != OpponentPawn && board[p + UpLeft] != OpponentPawn) {
      positional += RookOnLoosePawn;
      if (p >= EngineA5) positional += doubling;
    }
  } else if (board[p] != EnginePawn) {
    positional += doubling;
  }
  positional += EngineRookFileEnd[p];

  if (s < EngineA7) {
    positional += RowMobility(board, s);
    // A rook on an edge file shut in by its own king or pawn beside it.
    int neighbour = FileOf[s] == FileA ? s + 1 : FileOf[s] == FileH ? s - 1 : 0;
    if (neighbour != 0 && (board[neighbour] == EngineKing || board[neighbour] == EnginePawn))
      positional -= RookShutIn;
  }

  // Something other than its own rooks and queens stands between the rook and its back row.
  if (s >= EngineA3) {
    int t = s - Up;
    while (t >= EngineA2 && EvalPieceMask[board[t]] == 0) t -= Up;
    if (t >= EngineA2) positional -= RookCutFromHome;
  }
}

static void ScoreEngineKnight(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare += 2 * EngineKnightTable[s];
  positional += KnightMobility(board, s, OpponentSide, EngineKing);

  // Far up the board a knight needs a way back: a free square no opponent pawn covers, or a capture.
  if (s >= EngineA4) {
    bool retreat = false;
    for (int k = FirstBackwardKnightOffset; k < int(std::size(KnightOffsets)) && !retreat; k++) {
      int t = s + KnightOffsets[k];
      uint8_t target = board[t];
      retreat =
          (target == Empty && board[t + UpLeft] != OpponentPawn && board[t + UpRight] != OpponentPawn) ||
          (SideOf(target) == OpponentSide && target != OpponentPawn);
    }
    if (!retreat) positional -= KnightNoRetreat;
  }
  if (KnightHarassed(board, scan.pieces, s))
    positional -= EnginePawnBehind(board, s) ? HarassedSupported : Harassed;
}

static void ScoreEngineBishop(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare += EngineBishopTable[s];
  if (BishopHarassed(board, scan.pieces, s))
    positional -= EnginePawnBehind(board, s) ? HarassedSupported : Harassed;
  scan.engineBishops++;

  if (s < EngineA2) {
    // Still at home with both diagonals shut.
    if (board[s + UpLeft] != Empty && board[s + UpRight] != Empty) {
      if (s == EngineF1)
        positional -= board[EngineE2] == EngineKnight || board[EngineG2] == EngineKnight
                          ? ShutKingBishopByKnight
                          : ShutKingBishop;
      else
        positional -= board[s + UpLeft] == EngineKnight || board[s + UpRight] == EngineKnight
                          ? ShutBishopByKnight
                          : ShutBishop;
    }
    // In a corner behind an enemy pawn on the long diagonal.
    if (s == EngineH1 && board[EngineF3] == OpponentPawn) positional -= CornerBishopBlocked;
    if (s == EngineA1 && board[EngineC3] == OpponentPawn) positional -= CornerBishopBlocked;
  } else if (s >= EngineA4) {
    // Deep in the opponent's half with its way back cut.
    if (FileOf[s] == FileA) {
      if (board[s - UpLeft] != Empty)
        positional -= BishopTrappedOnEdge;
      else if (board[s - 2 * UpLeft] != Empty)
        positional -= BishopRetreatCut;
    } else if (FileOf[s] == FileH) {
      if (board[s - UpRight] != Empty)
        positional -= BishopTrappedOnEdge;
      else if (board[s - 2 * UpRight] != Empty)
        positional -= BishopRetreatCut;
    } else if (board[s - UpRight] != Empty && board[s - UpLeft] != Empty) {
      positional -= BishopRetreatCut;
    }
  }

  int e1 = DiagonalReach(board, s, UpRight, OpponentPawn), e2 = DiagonalReach(board, s, UpLeft, OpponentPawn);
  positional += std::max(EnginePawnAdvance[e1], EnginePawnAdvance[e2]);
}

static void ScoreEngineQueen(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare += 2 * EngineQueenTable[s] - EngineQueenBase;
  scan.engineQueenPresent = true;
  if (OpponentRookOnQueenFile(board, s)) positional -= QueenFacingRook;
  if (Distance[s][InwardSquare[board[OpponentKingSquare]]] <= QueenNearKingDistance)
    positional += QueenNearKing;

  // Out in the open on a wing with an own piece in its line back home.
  if (s >= EngineA3) {
    int step = FileOf[s] >= FileG ? -UpRight : FileOf[s] <= FileB ? -UpLeft : 0;
    if (step != 0) {
      int t = s + step;
      while (board[t] == Empty) t += step;
      if (t >= EngineA2) positional -= QueenOnWingBlocked;
    }
  }
}

static void ScoreEnginePawn(Scan &scan, int s) {
  Board &board = scan.board;
  EvalState &state = scan.state;
  if (scan.pawnsChanged && scan.enginePawnFill < MaxPawnsListed)
    state.enginePawnSquares[scan.enginePawnFill++] = int8_t(s);
  if (scan.oppPhase <= 0)
    scan.farthestOpponentKingToEnginePawn =
        std::max<int>(scan.farthestOpponentKingToEnginePawn, Distance[s][board[OpponentKingSquare]]);

  // Own bishops on the pawn's square colour.
  scan.positional -= BishopOnPawnColour * scan.engineBishopsOn[SquareColour[s]];

  if (s < EngineA3) {
    uint8_t blocker = board[s + Up];
    if (SideOf(blocker) == OpponentSide) {
      if (blocker == OpponentKnight) {
        if (!RookFileFlag[s]) scan.positional -= PawnBlockedByKnight;
      } else if (blocker == OpponentRook) {
        if (!RookFileFlag[s]) scan.positional -= PawnBlockedByRook;
      } else {
        scan.positional -= PawnBlockedByPiece;
      }
    }
    if ((s == EngineD2 || s == EngineE2) && blocker != Empty) scan.positional -= CentrePawnBlocked;
  }

  if (s != scan.lastTo) {
    for (int t : {s + UpLeft, s + UpRight}) {
      uint8_t target = board[t];
      if (t != scan.lastTo && SideOf(target) == OpponentSide && target < PawnOrEdgeCode)
        scan.threat += EnginePawnThreat;
    }
  }
}

// The king's end table, weighted up when the opponent has little left to attack with.
static int32_t KingEndTerm(const SquareTable &table, int s, int32_t enemyPhase, int32_t enemyPieceMaterial) {
  if (enemyPhase < LateEndgamePhase)
    return (HasOnlyRook(enemyPieceMaterial) ? KingEndWeightAgainstRook : KingEndWeight) * table[s];
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
  penaltyForFile(k + ShelterRows * Up, OpenKingFileWithPawn, OpenKingFile);
  if (board[EngineRights] != 0) return;

  // The king on the king side (e1..h1), its shelter on the f-, g- and h-files; or on the queen
  // side, its shelter on the a-, b- and c-files.
  if (k >= EngineE1) {
    if (k >= EngineG1) {
      if (board[EngineF3] == OpponentPawn && board[EngineF2] == EnginePawn) term -= PawnStormContact;
      if (board[EngineG3] == OpponentPawn && board[EngineG2] == EnginePawn) term -= PawnStormContact;
    }
    term -= OpponentHeavyOnFile(board, EngineG1) + OpponentHeavyOnFile(board, EngineH1);
    if (k != EngineH1) penaltyForFile(EngineH4, OpenWingFileWithPawn, OpenWingFile);
    if (k != EngineG1) penaltyForFile(EngineG4, OpenWingFileWithPawn, OpenWingFile);
    if (board[EngineG2] == EnginePawn) {
      if (board[EngineF2] != EnginePawn && board[EngineH2] != EnginePawn) term -= LooseShelterPawn;
    } else if (noPawnOnFileBelow(EngineF4) && board[EngineG2] != EngineBishop &&
               board[EngineF3] != EngineBishop) {
      term -= LooseShelterPawn;
    }
  } else {
    if (k <= EngineB1) {
      if (board[EngineB3] == OpponentPawn && board[EngineB2] == EnginePawn) term -= PawnStormContact;
      if (board[EngineC3] == OpponentPawn && board[EngineC2] == EnginePawn) term -= PawnStormContact;
    }
    term -= OpponentHeavyOnFile(board, EngineA1) + OpponentHeavyOnFile(board, EngineB1);
    if (k != EngineA1) penaltyForFile(EngineA4, OpenWingFileWithPawn, OpenWingFile);
    if (k != EngineB1) penaltyForFile(EngineB4, OpenWingFileWithPawn, OpenWingFile);
    if (board[EngineB2] == EnginePawn) {
      if (board[EngineA2] != EnginePawn && board[EngineC2] != EnginePawn) term -= LooseShelterPawn;
    } else if (noPawnOnFileBelow(EngineC4) && board[EngineB2] != EngineBishop &&
               board[EngineC3] != EngineBishop) {
      term -= LooseShelterPawn;
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
    // Drive the bare enemy king to the edge (away from e4, a centre square) and walk up to it.
    if (state.opponentMaterial < BareKingMaterial && state.opponentPawnMaterial == 0 &&
        state.enginePieceMaterial - state.opponentPieceMaterial > MatingLead)
      scan.engineKing += (MaxDistance - Distance[s][opponentKing]) * KingChase +
                         Distance[EngineE4][opponentKing] * KingChase;
  } else if (s >= EngineA3) {
    scan.engineKing -= KingLeftHome;
  } else if (guarded) {
    if (FileOf[s] <= FileD) {
      if (board[s + UpRight] != EnginePawn && (s >= EngineA2 || board[s + 2 * UpRight] != EnginePawn))
        scan.engineKing -= KingWithoutPawnCover;
    } else if (board[s + UpLeft] != EnginePawn && (s >= EngineA2 || board[s + 2 * UpLeft] != EnginePawn)) {
      scan.engineKing -= KingWithoutPawnCover;
    }
    ScoreEngineShelter(scan, s);
  }

  if (scan.kingSafety) {
    state.engineKingDanger = 0;
    if (state.opponentPieceMaterial > OneRook && guarded) {
      state.engineKingDanger = EscapeDanger(board, scan.pieces, EngineSide);
      if (scan.oppPhase < DeepEndgamePhase) state.engineKingDanger /= 2;
    }
  }
}

static void ScoreOpponentRook(Scan &scan, int s) {
  Board &board = scan.board;
  int32_t &positional = scan.positional;
  scan.pieceSquare -= OpponentRookTable[s];

  int32_t doubling = 0;
  int p = RookFileStop(board, s, -Up, doubling);
  if (board[p] == EnginePawn) {
    if (board[p - UpRight] != EnginePawn && board[p - UpLeft] != EnginePawn) {
      positional -= RookOnLoosePawn;
      if (p < EngineA5) positional -= doubling;
    }
  } else if (board[p] != OpponentPawn) {
    positional -= doubling;
  }
  positional -= OpponentRookFileEnd[p];

  if (s < EngineA3) {
    if (s >= EngineA2) scan.opponentHeavyOnSecondRow++;
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

  if (s == EngineA2 && board[EngineB3] == EnginePawn) {
    positional += OpponentBishopTrapped;
  } else if (s == EngineH2 && board[EngineG3] == EnginePawn) {
    positional += OpponentBishopTrapped;
  } else if (s >= EngineA8) {
    if (board[s - UpLeft] != Empty && board[s - UpRight] != Empty)
      positional += board[s - UpLeft] == OpponentKnight || board[s - UpRight] == OpponentKnight
                        ? ShutBishopByKnight
                        : ShutBishop;
    // In a corner behind the engine's pawn on the long diagonal, defended by a pawn beside and below
    // it: unlike its own corner bishop, the engine counts the opponent's as shut in only when the
    // pawn that shuts it is defended.
    if (s == EngineH8 && board[EngineF6] == EnginePawn &&
        (board[EngineG5] == EnginePawn || board[EngineE5] == EnginePawn))
      positional += CornerBishopBlocked;
    if (s == EngineA8 && board[EngineC6] == EnginePawn &&
        (board[EngineB5] == EnginePawn || board[EngineD5] == EnginePawn))
      positional += CornerBishopBlocked;
  }

  int e1 = DiagonalReach(board, s, -UpRight, EnginePawn), e2 = DiagonalReach(board, s, -UpLeft, EnginePawn);
  positional -= std::max(OpponentPawnAdvance[e1], OpponentPawnAdvance[e2]);
}

static void ScoreOpponentQueen(Scan &scan, int s) {
  Board &board = scan.board;
  scan.pieceSquare -= 2 * OpponentQueenTable[s] - OpponentQueenBase;
  scan.opponentQueenPresent = true;
  if (Distance[s][InwardSquare[board[EngineKingSquare]]] <= QueenNearKingDistance)
    scan.positional -= QueenNearKing;
  if (RankOf[s] == 2) scan.opponentHeavyOnSecondRow++;
}

static void ScoreOpponentPawn(Scan &scan, int s) {
  Board &board = scan.board;
  EvalState &state = scan.state;
  if (scan.pawnsChanged && scan.opponentPawnFill < MaxPawnsListed)
    state.opponentPawnSquares[scan.opponentPawnFill++] = int8_t(s);
  if (scan.engPhase <= 0)
    scan.farthestEngineKingToOpponentPawn =
        std::max<int>(scan.farthestEngineKingToOpponentPawn, Distance[s][board[EngineKingSquare]]);

  scan.positional += BishopOnPawnColour * scan.opponentBishopsOn[SquareColour[s]];

  // An engine piece blocking the pawn on its start row (not on the rook files).
  if (s >= EngineA7 && SideOf(board[s - Up]) == EngineSide && !RookFileFlag[s]) {
    uint8_t blocker = board[s - Up];
    if (blocker == EngineRook)
      scan.positional += PawnBlockedByRook;
    else if (blocker != EnginePawn)
      scan.positional += PawnBlockedByPiece;
  }

  if (s != scan.lastTo) {
    for (int t : {s - UpLeft, s - UpRight}) {
      uint8_t target = board[t];
      if (t != scan.lastTo && SideOf(target) == EngineSide && target != EnginePawn)
        scan.threat -= OpponentPawnThreat;
    }
  }
}

static void ScoreOpponentKing(Scan &scan, int s) {
  Board &board = scan.board;
  EvalState &state = scan.state;
  if (scan.engPhase <= 0) {
    scan.opponentKing += KingEndTerm(OpponentKingEndTable, s, scan.engPhase, state.enginePieceMaterial);
  } else if (s < EngineA7) {
    scan.opponentKing -= KingLeftHome;
  } else if (board[OpponentRights] == 0) {
    // Judged once the opponent can no longer castle; the engine judges its own king's cover already
    // while castling is ready, wanting the shelter sound before it castles into it.
    if (FileOf[s] <= FileD) {
      if (board[s - UpLeft] != OpponentPawn && (s < EngineA8 || board[s - 2 * UpLeft] != OpponentPawn))
        scan.opponentKing -= KingWithoutPawnCover;
    } else if (board[s - UpRight] != OpponentPawn &&
               (s < EngineA8 || board[s - 2 * UpRight] != OpponentPawn)) {
      scan.opponentKing -= KingWithoutPawnCover;
    }
    if (!(FileAhead[s - ShelterRows * Up] & state.opponentPawnBits))
      scan.opponentKing -= board[s - ShelterRows * Up] == OpponentPawn ? OpenKingFileWithPawn : OpenKingFile;
  }

  if (scan.kingSafety) {
    state.opponentKingDanger = 0;
    if (state.enginePieceMaterial > OneRook &&
        (scan.context.opponentCastleReady || board[OpponentRights] == 0)) {
      state.opponentKingDanger = EscapeDanger(board, scan.pieces, OpponentSide);
      if (scan.engPhase < DeepEndgamePhase) state.opponentKingDanger /= 2;
    }
  }
}

// Rules that need the whole board seen.
static void CloseScan(Scan &scan) {
  Board &board = scan.board;
  EvalState &state = scan.state;
  int32_t &positional = scan.positional;

  if (scan.engineBishops > 1) positional += scan.oppPhase <= 0 ? BishopPairEnd : BishopPair;
  if (scan.opponentBishops > 1) positional -= scan.engPhase <= 0 ? BishopPairEnd : BishopPair;

  if (scan.opponentHeavyOnSecondRow > 1)
    positional -= board[EngineKingSquare] < EngineA2 ? HeavyOnSecondRowKingHome : HeavyOnSecondRow;

  if (SideOf(board[EngineC3]) == EngineSide && board[EngineC3] != EnginePawn)
    positional += scan.context.cPawnBlockPenalty;

  // Without the enemy queen a king's shortcomings matter a quarter less.
  if (scan.engineKing < 0 && scan.oppPhase > 0 && !scan.opponentQueenPresent)
    scan.engineKing -= scan.engineKing / NoQueenKingDivisor;
  if (scan.opponentKing < 0 && scan.engPhase > 0 && !scan.engineQueenPresent)
    scan.opponentKing -= scan.opponentKing / NoQueenKingDivisor;

  // In the endgame a king belongs near the enemy pawns.
  if (scan.engPhase <= 0) {
    int far = scan.farthestEngineKingToOpponentPawn;
    positional -= state.enginePieceMaterial == 0 ? KingToPawnsBare * far - KingToPawnsBare
                                                 : KingToPawns * far - KingToPawns;
  }
  if (scan.oppPhase <= 0) {
    int far = scan.farthestOpponentKingToEnginePawn;
    positional += state.opponentPieceMaterial == 0 ? KingToPawnsBare * far - KingToPawnsBare
                                                   : KingToPawns * far - KingToPawns;
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
    state.opponentPasserEnd = OpponentPassersStart;
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
  if (state.enginePasserCount > 0 || state.opponentPasserEnd > OpponentPassersStart) {
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
