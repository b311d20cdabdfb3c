#include "search/Selectivity.h"

#include <cstdlib>

#include "board/Attacks.h"
#include "board/Geometry.h"
#include "board/MakeMove.h"

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
  return count >= 4;
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
    for (int s = square - 10; s >= 30; s -= 10)
      if (board[s] == EnginePawn || board[s - 1] == EnginePawn || board[s + 1] == EnginePawn) return false;
    return true;
  }
  for (int s = square + 10; s <= 90; s += 10)
    if (board[s] == OpponentPawn || board[s - 1] == OpponentPawn || board[s + 1] == OpponentPawn)
      return false;
  return true;
}

bool AdvancedPawnTest(const Board &board, int square) {
  if (board[square] == OpponentPawn) return square < 51 && board[square - 10] != EnginePawn;
  if (board[square] == EnginePawn) return square >= 69 && board[square + 10] != OpponentPawn;
  return false;
}

int ZoneCentre(int kingSquare) { return InwardSquare[kingSquare]; }

static bool NextToCentre(int square, int centre) { return square != centre && Distance[square][centre] == 1; }

// A slider looks along its lines through empty squares and pieces other than pawns; a pawn is
// seen and ends the line.
static bool SliderSeesRing(const Board &board, int square, int centre, const int *directions, int count) {
  for (int k = 0; k < count; k++) {
    for (int s = square + directions[k]; IsPlayingSquare(s); s += directions[k]) {
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
      return distance < 4;
    case EngineKing:
    case OpponentKing:
      return distance < 3;
    case EnginePawn:
      return distance <= 2 && RankOf[square] <= RankOf[centre];
    case OpponentPawn:
      return distance <= 2 && RankOf[square] >= RankOf[centre];
    case EngineBishop:
    case OpponentBishop:
      return SliderSeesRing(board, square, centre, Diagonals, 4);
    case EngineRook:
    case OpponentRook:
      return SliderSeesRing(board, square, centre, Straights, 4);
    case EngineQueen:
    case OpponentQueen:
      return SliderSeesRing(board, square, centre, AllLines, 8);
    default:
      return false;
  }
}

bool HangingTest(const Board &board, int sideToMove, int32_t d) {
  int other = OtherSide(sideToMove);
  uint8_t otherPawn = other == OpponentSide ? OpponentPawn : EnginePawn;
  int seventhRow = other == OpponentSide ? 30 : 80;
  for (int column = 1; column <= 8; column++)
    if (board[seventhRow + column] == otherPawn) return false;
  if (d >= 675) return true;
  for (int s = 21; s <= 98; s++) {
    uint8_t piece = board[s];
    if (piece == Empty || SideOf(piece) != sideToMove) continue;
    int32_t value = PieceValue[piece];
    bool nearPromotion = piece == EnginePawn ? RankOf[s] >= 6 : piece == OpponentPawn && RankOf[s] <= 3;
    if (nearPromotion) value = 600;
    if (value / 2 + value / 4 <= d) continue;
    if (IsAttacked(board, s, other)) return false;
  }
  return true;
}

bool OpeningGuidance(const Board &board, const EvalState &state) {
  if (state.enginePieceMaterial < 2780) return false;
  bool queenSide = board[21] == EngineRook && (board[31] == EnginePawn || board[41] == EnginePawn) &&
                   (board[22] == EngineKnight || board[23] == EngineBishop);
  bool kingSide = board[28] == EngineRook && (board[38] == EnginePawn || board[48] == EnginePawn) &&
                  (board[27] == EngineKnight || board[26] == EngineBishop);
  return queenSide || kingSide;
}
