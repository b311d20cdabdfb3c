#include "board/Legality.h"

#include <cstdlib>

#include "board/MakeMove.h"

// Squares a castling king must find unattacked, by its destination: the square it passes and its
// start square (the destination itself is covered by the king test).
static bool CastlingPathAttacked(const Board &after, int to) {
  switch (to) {
    case 23:
      return IsAttacked(after, 24, OpponentSide) || IsAttacked(after, 25, OpponentSide);
    case 27:
      return IsAttacked(after, 26, OpponentSide) || IsAttacked(after, 25, OpponentSide);
    case 93:
      return IsAttacked(after, 94, EngineSide) || IsAttacked(after, 95, EngineSide);
    default:
      return IsAttacked(after, 96, EngineSide) || IsAttacked(after, 95, EngineSide);
  }
}

// Whether the vacated origin opened a line from an enemy slider to the king.
static bool ExposesKingThroughOrigin(const Board &after, int from, int king, int enemySide) {
  int direction = RayDirection(king - from);
  if (direction == 0) return false;
  int s = from + direction;
  while (after[s] == Empty) s += direction;
  if (s != king) return false;
  s = from - direction;
  while (after[s] == Empty) s -= direction;
  uint8_t piece = after[s];
  bool engineSlider = enemySide == EngineSide;
  if (piece == (engineSlider ? EngineQueen : OpponentQueen)) return true;
  int step = std::abs(direction);
  if (step == 9 || step == 11) return piece == (engineSlider ? EngineBishop : OpponentBishop);
  return piece == (engineSlider ? EngineRook : OpponentRook);
}

bool IsLegalAfterMove(const Board &after, Move move, int moverSide, bool moverWasInCheck) {
  if (move.kind == 0) return !moverWasInCheck;
  bool engine = moverSide == EngineSide;
  int enemySide = engine ? OpponentSide : EngineSide;
  int king = after[engine ? EngineKingSquare : OpponentKingSquare];
  if (move.kind == CastlingMove)
    return !IsAttacked(after, king, enemySide) && !CastlingPathAttacked(after, move.to);
  bool kingMoved = move.to == king;
  if (move.kind == EnPassantMove || kingMoved || moverWasInCheck) return !IsAttacked(after, king, enemySide);
  return !ExposesKingThroughOrigin(after, move.from, king, enemySide);
}

// Whether the piece on square attacks target, with the board as it stands.
static bool PieceAttacksSquare(const Board &board, int square, int target) {
  uint8_t piece = board[square];
  int difference = target - square;
  switch (piece) {
    case EnginePawn:
      return difference == 9 || difference == 11;
    case OpponentPawn:
      return difference == -9 || difference == -11;
    case EngineKnight:
    case OpponentKnight: {
      int distance = std::abs(difference);
      return distance == 8 || distance == 12 || distance == 19 || distance == 21;
    }
    case EngineKing:
    case OpponentKing:
      return Distance[square][target] == 1;
    default:
      break;
  }
  int direction = RayDirection(difference);
  int step = std::abs(direction);
  bool diagonal = step == 9 || step == 11;
  bool fits = piece == EngineQueen || piece == OpponentQueen ||
              (diagonal ? piece == EngineBishop || piece == OpponentBishop
                        : step != 0 && (piece == EngineRook || piece == OpponentRook));
  if (!fits) return false;
  int s = square + direction;
  while (board[s] == Empty) s += direction;
  return s == target;
}

// The squares a castling rook lands on, by the king's destination.
static int CastlingRookSquare(int kingTo) {
  switch (kingTo) {
    case 23:
      return 24;
    case 27:
      return 26;
    case 93:
      return 94;
    default:
      return 96;
  }
}

bool MoveGivesCheck(const Board &after, Move move, int moverSide) {
  bool engine = moverSide == EngineSide;
  int king = after[engine ? OpponentKingSquare : EngineKingSquare];
  if (move.kind == 0) return false;
  if (PieceAttacksSquare(after, move.to, king) || ExposesKingThroughOrigin(after, move.from, king, moverSide))
    return true;
  if (move.kind == CastlingMove) return PieceAttacksSquare(after, CastlingRookSquare(move.to), king);
  if (move.kind == EnPassantMove)
    return ExposesKingThroughOrigin(after, engine ? move.to - 10 : move.to + 10, king, moverSide);
  return false;
}
