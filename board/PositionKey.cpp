#include "board/PositionKey.h"

uint64_t ZobristTable[ZobristPieceCount][ZobristSquareCount];

// Piece codes by piece index 1..12: the engine's pawn to king, then the opponent's.
constexpr uint8_t PieceOfIndex[13] = {
    Empty,        EnginePawn,     EngineKnight,   EngineBishop, EngineRook,    EngineQueen, EngineKing,
    OpponentPawn, OpponentKnight, OpponentBishop, OpponentRook, OpponentQueen, OpponentKing};

// Filled by InitZobrist: the square number 0..63 by mailbox index (-1 off the playing squares),
// and the piece index by content byte (0 for anything that is not a piece).
static int8_t SquareNumberOf[BoardSize];
static uint8_t PieceIndexOf[PieceCodeCount];

// Piece index of a content byte: engine pawn..king 1..6, opponent pawn..king 7..12, else 0.
static int ZobristPieceIndex(uint8_t piece) { return piece < PieceCodeCount ? PieceIndexOf[piece] : 0; }

// 8 * (rank - 1) + (file - 1) for a playing square (21 -> 0, 98 -> 63); -1 for any other index.
static int ZobristSquareNumber(int square) {
  return square >= 0 && square < BoardSize ? SquareNumberOf[square] : -1;
}

uint64_t ZobristNumber(int square, uint8_t piece) {
  int number = ZobristSquareNumber(square);
  return number < 0 ? 0 : ZobristTable[ZobristPieceIndex(piece)][number];
}

// A 64-bit linear congruential generator with a fixed seed, so keys are the same in every run.
void InitZobrist() {
  constexpr uint64_t Multiplier = 6364136223846793005ULL;
  uint64_t state = 1001;
  for (int index = 0; index <= 12; index++) PieceIndexOf[PieceOfIndex[index]] = uint8_t(index);
  for (int square = 0; square < BoardSize; square++)
    SquareNumberOf[square] = IsPlayingSquare(square) ? int8_t(8 * (square / 10 - 2) + (square % 10 - 1)) : -1;
  for (int piece = 0; piece < ZobristPieceCount; piece++)
    for (int number = 0; number < ZobristSquareCount; number++) ZobristTable[piece][number] = 0;
  for (int piece = 1; piece <= 12; piece++) {
    for (int number = 0; number < ZobristSquareCount; number++) {
      state = state * Multiplier + 1;
      ZobristTable[piece][number] = state;
    }
  }
}

uint64_t ComputeKey(const Board &board) {
  uint64_t key = 0;
  for (int square = 21; square <= 98; square++) key ^= ZobristNumber(square, board[square]);  // border: 0
  return key;
}

uint64_t UpdateKey(uint64_t key, Move move, uint8_t movingPiece, uint8_t capturedPiece) {
  if (move.IsNull()) return key;
  int from = move.from, to = move.to;
  uint8_t arriving = move.promotion > 0 ? move.promotion : movingPiece;
  switch (move.kind) {
    case QuietMove:
      return key ^ ZobristNumber(from, movingPiece) ^ ZobristNumber(to, arriving);
    case CaptureMove:
      return key ^ ZobristNumber(to, capturedPiece) ^ ZobristNumber(from, movingPiece) ^
             ZobristNumber(to, arriving);
    case EnPassantMove: {
      // The captured pawn stands behind the destination as the capturer sees it.
      int captured = capturedPiece == EnginePawn ? to + 10 : to - 10;
      return key ^ ZobristNumber(from, movingPiece) ^ ZobristNumber(to, movingPiece) ^
             ZobristNumber(captured, capturedPiece);
    }
    default: {  // castling: the king's two squares and the rook's jump
      key ^= ZobristNumber(from, movingPiece) ^ ZobristNumber(to, movingPiece);
      switch (to) {
        case 23:
          return key ^ ZobristNumber(21, EngineRook) ^ ZobristNumber(24, EngineRook);
        case 27:
          return key ^ ZobristNumber(28, EngineRook) ^ ZobristNumber(26, EngineRook);
        case 93:
          return key ^ ZobristNumber(91, OpponentRook) ^ ZobristNumber(94, OpponentRook);
        default:
          return key ^ ZobristNumber(98, OpponentRook) ^ ZobristNumber(96, OpponentRook);
      }
    }
  }
}
