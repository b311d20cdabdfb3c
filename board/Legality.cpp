#include "board/Legality.h"

#include <array>
#include <cstdlib>

#include "board/Attacks.h"
#include "board/Geometry.h"
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

// What a piece can reach in one move, as bits: by piece code, and by the difference between the
// target and the piece's square. A piece reaches the target when the two share a bit and, for a
// slider, the squares between are empty.
enum : uint8_t {
  KnightReach = 1,
  KingReach = 2,
  EnginePawnReach = 4,
  OpponentPawnReach = 8,
  DiagonalReach = 16,
  OrthogonalReach = 32,
};
constexpr uint8_t SliderReach = DiagonalReach | OrthogonalReach;

static constexpr std::array<uint8_t, PieceCodeCount> ReachOfPiece = [] {
  std::array<uint8_t, PieceCodeCount> reach{};
  reach[EngineKnight] = reach[OpponentKnight] = KnightReach;
  reach[EngineKing] = reach[OpponentKing] = KingReach;
  reach[EnginePawn] = EnginePawnReach;
  reach[OpponentPawn] = OpponentPawnReach;
  reach[EngineBishop] = reach[OpponentBishop] = DiagonalReach;
  reach[EngineRook] = reach[OpponentRook] = OrthogonalReach;
  reach[EngineQueen] = reach[OpponentQueen] = SliderReach;
  return reach;
}();

static constexpr std::array<uint8_t, 2 *MaxSquareDifference + 1> ReachOfDifference = [] {
  std::array<uint8_t, 2 * MaxSquareDifference + 1> reach{};
  for (int d = -MaxSquareDifference; d <= MaxSquareDifference; d++) {
    int a = d < 0 ? -d : d, step = LineStep(d);
    uint8_t bits = 0;
    if (a == 8 || a == 12 || a == 19 || a == 21) bits |= KnightReach;
    if (a == 1 || a == 9 || a == 10 || a == 11) bits |= KingReach;
    if (d == 9 || d == 11) bits |= EnginePawnReach;
    if (d == -9 || d == -11) bits |= OpponentPawnReach;
    if (step == 9 || step == 11) bits |= DiagonalReach;
    if (step == 1 || step == 10) bits |= OrthogonalReach;
    reach[d + MaxSquareDifference] = bits;
  }
  return reach;
}();

// Whether the piece on square attacks target (an occupied square: the king), with the board as it
// stands.
static bool PieceAttacksSquare(const Board &board, int square, int target) {
  int difference = target - square;
  uint8_t reach = ReachOfPiece[board[square]] & ReachOfDifference[difference + MaxSquareDifference];
  if ((reach & SliderReach) == 0) return reach != 0;
  int direction = RayDirection(difference);
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
