#include "board/Board.h"

#include <cstring>

bool IsPlayingSquare(int index) {
  if (index < 21 || index > 98) return false;
  int column = index % 10;
  return column >= 1 && column <= 8;
}

bool FindKings(Board &board) {
  int engineKings = 0, opponentKings = 0;
  for (int square = 21; square <= 98; square++) {
    if (board[square] == EngineKing) {
      engineKings++;
      board[EngineKingSquare] = uint8_t(square);
    } else if (board[square] == OpponentKing) {
      opponentKings++;
      board[OpponentKingSquare] = uint8_t(square);
    }
  }
  return engineKings == 1 && opponentKings == 1;
}

bool SameStateBytes(const Board &a, const Board &b) {
  return a[EngineRights] == b[EngineRights] && a[OpponentRights] == b[OpponentRights] &&
         a[EnPassantSquare] == b[EnPassantSquare];
}

bool SamePosition(const Board &a, const Board &b) {
  return std::memcmp(&a.cell[21], &b.cell[21], 98 - 21 + 1) == 0 && SameStateBytes(a, b);
}

// Row r becomes row 11 - r; files stay. Engine codes are odd, the opponent's the next even code.
static int MirroredSquare(int square) { return square == 0 ? 0 : (11 - square / 10) * 10 + square % 10; }

Board SeenFromOtherSide(const Board &board) {
  Board seen = board;
  for (int square = 21; square <= 98; square++) {
    if (!IsPlayingSquare(square)) continue;
    uint8_t piece = board[MirroredSquare(square)];
    seen[square] = SideOf(piece) == EngineSide     ? uint8_t(piece + 1)
                   : SideOf(piece) == OpponentSide ? uint8_t(piece - 1)
                                                   : piece;
  }
  seen[EngineRights] = board[OpponentRights];
  seen[OpponentRights] = board[EngineRights];
  seen[EnPassantSquare] = uint8_t(MirroredSquare(board[EnPassantSquare]));
  seen[EngineKingSquare] = uint8_t(MirroredSquare(board[OpponentKingSquare]));
  seen[OpponentKingSquare] = uint8_t(MirroredSquare(board[EngineKingSquare]));
  return seen;
}
