#include "search/Selectivity.h"

#include <cstddef>
#include <cstdlib>

#include "board/Attacks.h"
#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/Squares.h"
#include "eval/Material.h"

// A king counts as under attack once its EdgeClass and the attacked squares around it reach this.
constexpr int KingAttackCountNeeded = 4;
// How near the enemy king's zone centre a moved knight or king must come to count as near it.
constexpr int KnightZoneDistance = 3, KingZoneDistance = 2;
// Stand pat: a margin this large covers any piece that could hang; a pawn one step from
// promotion is worth this much; a piece hangs when three quarters of its value exceed the margin.
constexpr int32_t HangingMarginCoversAll = 675, NearPromotionValue = 600;
static constexpr int32_t ThreeQuarters(int32_t value) { return value / 2 + value / 4; }
// A pawn's row one step from promotion, for each side's pawns.
constexpr int EngineSeventhRow = 7, OpponentSeventhRow = 2;
// Opening guidance needs at least a queen, two rooks, two knights and a bishop's worth of the
// engine's pieces on the board.
constexpr int32_t GuidancePieceMaterial = OneQueen + TwoRooks + TwoKnights + OneBishop;

static int OtherSide(int side) { return side == EngineSide ? OpponentSide : EngineSide; }

bool FlightSquaresAtMost(Board &board, int kingSide, int limit, bool liftKing) {
  int kingSquare = board[kingSide == EngineSide ? EngineKingSquare : OpponentKingSquare];
  int other = OtherSide(kingSide);
  uint8_t king = board[kingSquare];
  if (liftKing) board[kingSquare] = Empty;
  int free = 0;
  for (int offset : KingOffsets) {
    int square = kingSquare + offset;
    uint8_t content = board[square];
    if (content != Empty && SideOf(content) != other) continue;
    if (!IsAttacked(board, square, other)) free++;
  }
  if (liftKing) board[kingSquare] = king;
  return free <= limit;
}

bool KingAttackCountReaches4(const Board &board, int kingSquare, int attackingSide) {
  int count = EdgeClass[kingSquare];
  for (int offset : KingOffsets) {
    int square = kingSquare + offset;
    if (IsPlayingSquare(square) && IsAttacked(board, square, attackingSide)) count++;
  }
  return count >= KingAttackCountNeeded;
}

bool EscapeTest(Board &board, Move move, int moverSide) {
  int sideToMove = OtherSide(moverSide);
  uint8_t piece = board[move.to];
  board[move.to] = Empty;
  bool escaped =
      IsAttacked(board, move.from, sideToMove) &&
      (IsAttackedByCheaper(piece, board, move.from, sideToMove) || !IsAttacked(board, move.from, moverSide));
  board[move.to] = piece;
  return escaped;
}

bool PassedPawnTest(const Board &board, int square, int pawnSide) {
  if (pawnSide == OpponentSide) {
    for (int s = square - Up; s >= EngineA2; s -= Up)
      if (board[s] == EnginePawn || board[s - 1] == EnginePawn || board[s + 1] == EnginePawn) return false;
    return true;
  }
  for (int s = square + Up; s < EngineA8; s += Up)
    if (board[s] == OpponentPawn || board[s - 1] == OpponentPawn || board[s + 1] == OpponentPawn)
      return false;
  return true;
}

bool AdvancedPawnTest(const Board &board, int square) {
  if (board[square] == OpponentPawn) return square < EngineA4 && board[square - Up] != EnginePawn;
  if (board[square] == EnginePawn) return square >= EngineA6 && board[square + Up] != OpponentPawn;
  return false;
}

int ZoneCentre(int kingSquare) { return InwardSquare[kingSquare]; }

static bool NextToCentre(int square, int centre) { return square != centre && Distance[square][centre] == 1; }

// A slider looks along its lines through empty squares and pieces other than pawns; a pawn is
// seen and ends the line.
template <size_t Count>
static bool SliderSeesRing(const Board &board, int square, int centre, const int (&directions)[Count]) {
  for (int direction : directions) {
    for (int s = square + direction; IsPlayingSquare(s); s += direction) {
      if (NextToCentre(s, centre)) return true;
      if (board[s] == EnginePawn || board[s] == OpponentPawn) break;
    }
  }
  return false;
}

bool KingZoneTest(const Board &board, int square, int enemyKingSquare) {
  static constexpr int Diagonals[4] = {9, -9, 11, -11};
  static constexpr int Straights[4] = {1, -1, 10, -10};
  static constexpr int AllLines[8] = {9, -9, 11, -11, 1, -1, 10, -10};
  int centre = ZoneCentre(enemyKingSquare);
  int distance = Distance[square][centre];
  if (distance < 2) return true;
  switch (board[square]) {
    case EngineKnight:
    case OpponentKnight:
      return distance <= KnightZoneDistance;
    case EngineKing:
    case OpponentKing:
      return distance <= KingZoneDistance;
    case EnginePawn:
      return distance <= 2 && RankOf[square] <= RankOf[centre];
    case OpponentPawn:
      return distance <= 2 && RankOf[square] >= RankOf[centre];
    case EngineBishop:
    case OpponentBishop:
      return SliderSeesRing(board, square, centre, Diagonals);
    case EngineRook:
    case OpponentRook:
      return SliderSeesRing(board, square, centre, Straights);
    case EngineQueen:
    case OpponentQueen:
      return SliderSeesRing(board, square, centre, AllLines);
    default:
      return false;
  }
}

bool HangingTest(const Board &board, int sideToMove, int32_t d) {
  int other = OtherSide(sideToMove);
  uint8_t otherPawn = other == OpponentSide ? OpponentPawn : EnginePawn;
  int seventhRow = other == OpponentSide ? OpponentSeventhRow : EngineSeventhRow;
  for (int column = FileA; column <= FileH; column++)
    if (board[SquareAt(column, seventhRow)] == otherPawn) return false;
  if (d >= HangingMarginCoversAll) return true;
  for (int s = EngineA1; s <= EngineH8; s++) {
    uint8_t piece = board[s];
    if (piece == Empty || SideOf(piece) != sideToMove) continue;
    int32_t value = PieceValue[piece];
    bool nearPromotion = piece == EnginePawn ? s >= EngineA6 : piece == OpponentPawn && s < EngineA4;
    if (nearPromotion) value = NearPromotionValue;
    if (ThreeQuarters(value) <= d) continue;
    if (IsAttacked(board, s, other)) return false;
  }
  return true;
}

bool OpeningGuidance(const Board &board, const EvalState &state) {
  if (state.enginePieceMaterial < GuidancePieceMaterial) return false;
  bool queenSide = board[EngineA1] == EngineRook &&
                   (board[EngineA2] == EnginePawn || board[EngineA3] == EnginePawn) &&
                   (board[EngineB1] == EngineKnight || board[EngineC1] == EngineBishop);
  bool kingSide = board[EngineH1] == EngineRook &&
                  (board[EngineH2] == EnginePawn || board[EngineH3] == EnginePawn) &&
                  (board[EngineG1] == EngineKnight || board[EngineF1] == EngineBishop);
  return queenSide || kingSide;
}
