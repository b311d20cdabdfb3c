#include "board/Attacks.h"

#include <cstdlib>
#include <initializer_list>

#include "board/Geometry.h"
#include "board/Move.h"

// Line steps in the order the attack tests look along them.
constexpr int OrthogonalSteps[4] = {10, -10, 1, -1};
constexpr int DiagonalSteps[4] = {9, -9, 11, -11};

// The first non-empty content along a line from the square (the square itself not included).
static uint8_t FirstPieceOnLine(const Board &board, int square, int step) {
  int s = square + step;
  while (board[s] == Empty) s += step;
  return board[s];
}

// The answer does not depend on the order of the tests; this order reads each square next to the
// target once: the king and a pawn can only stand there, a slider further along the same line.
bool IsAttacked(const Board &board, int square, int attackingSide) {
  bool engine = attackingSide == EngineSide;
  uint8_t knight = engine ? EngineKnight : OpponentKnight;
  for (int8_t offset : KnightOffsets)
    if (board[square + offset] == knight) return true;
  uint8_t pawn = engine ? EnginePawn : OpponentPawn;
  uint8_t king = engine ? EngineKing : OpponentKing;
  uint8_t queen = engine ? EngineQueen : OpponentQueen;
  // Diagonals: an engine pawn attacks upward, so it stands on the steps -9 and -11.
  uint8_t bishop = engine ? EngineBishop : OpponentBishop;
  const int pawnSide = engine ? -1 : 1;
  for (int step : DiagonalSteps) {
    int s = square + step;
    uint8_t first = board[s];
    if (first == king || first == bishop || first == queen) return true;
    if (first == pawn && (step > 0) == (pawnSide > 0)) return true;
    if (first != Empty) continue;
    first = FirstPieceOnLine(board, s, step);
    if (first == bishop || first == queen) return true;
  }
  uint8_t rook = engine ? EngineRook : OpponentRook;
  for (int step : OrthogonalSteps) {
    int s = square + step;
    uint8_t first = board[s];
    if (first == king || first == rook || first == queen) return true;
    if (first != Empty) continue;
    first = FirstPieceOnLine(board, s, step);
    if (first == rook || first == queen) return true;
  }
  return false;
}

bool IsAttackedByCheaper(uint8_t piece, const Board &board, int square, int attackingSide) {
  int weight = PieceWeight[piece];
  if (weight == 1) return false;
  if (weight == 10) return IsAttacked(board, square, attackingSide);
  bool engine = attackingSide == EngineSide;
  uint8_t pawn = engine ? EnginePawn : OpponentPawn;
  int pawnStep = engine ? -1 : 1;
  if (board[square + pawnStep * 9] == pawn || board[square + pawnStep * 11] == pawn) return true;
  if (weight < 3) return false;
  uint8_t knight = engine ? EngineKnight : OpponentKnight;
  for (int8_t offset : KnightOffsets)
    if (board[square + offset] == knight) return true;
  uint8_t bishop = engine ? EngineBishop : OpponentBishop;
  for (int step : DiagonalSteps)
    if (FirstPieceOnLine(board, square, step) == bishop) return true;
  if (weight < 5) return false;
  uint8_t rook = engine ? EngineRook : OpponentRook;
  for (int step : OrthogonalSteps)
    if (FirstPieceOnLine(board, square, step) == rook) return true;
  return false;
}

// Whether the first piece along either direction of the line is one of the targets.
static bool LineHits(const Board &board, int square, int step, uint8_t target1, uint8_t target2) {
  for (int s : {step, -step}) {
    uint8_t first = FirstPieceOnLine(board, square, s);
    if (first == target1 || first == target2) return true;
  }
  return false;
}

// A slider's threat along the line it moved on is not counted: that line was open before.
bool ThreatensHeavyPiece(const Board &board, Move move) {
  int to = move.to;
  uint8_t piece = board[to];
  int along = std::abs(RayDirection(to - move.from));
  bool engine = SideOf(piece) == EngineSide;
  uint8_t enemyRook = engine ? OpponentRook : EngineRook;
  uint8_t enemyQueen = engine ? OpponentQueen : EngineQueen;
  switch (piece) {
    case EngineKnight:
    case OpponentKnight:
      for (int8_t offset : KnightOffsets)
        if (board[to + offset] == enemyRook || board[to + offset] == enemyQueen) return true;
      return false;
    case EngineBishop:
    case OpponentBishop:
      return (along != 9 && LineHits(board, to, 9, enemyRook, enemyQueen)) ||
             (along != 11 && LineHits(board, to, 11, enemyRook, enemyQueen));
    case EngineRook:
    case OpponentRook:
      return (along != 1 && LineHits(board, to, 1, enemyQueen, enemyQueen)) ||
             (along != 10 && LineHits(board, to, 10, enemyQueen, enemyQueen));
    case EnginePawn:
    case OpponentPawn: {
      // Any enemy piece but a pawn on the pawn's capture squares.
      uint8_t enemySide = engine ? OpponentSide : EngineSide;
      uint8_t enemyPawn = engine ? OpponentPawn : EnginePawn;
      int step = engine ? 1 : -1;
      for (int target : {to + step * 9, to + step * 11})
        if (SideOf(board[target]) == enemySide && board[target] != enemyPawn) return true;
      return false;
    }
    default:
      return false;
  }
}

bool SideToMoveInCheck(const Board &board, bool engineToMove) {
  int king = board[engineToMove ? EngineKingSquare : OpponentKingSquare];
  return IsAttacked(board, king, engineToMove ? OpponentSide : EngineSide);
}
