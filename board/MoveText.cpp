#include "board/MoveText.h"

#include "board/MakeMove.h"
#include "board/Text.h"

std::string SquareNameAs(int square, bool engineIsWhite) {
  if (square < 0 || square >= BoardSize) return "??";
  if (!IsPlayingSquare(square)) return "RR";
  int row = square / 10, column = square % 10;
  char rank = char('0' + (engineIsWhite ? row - 1 : 10 - row));
  return std::string{char('A' + column - 1), rank};
}

std::string SquareName(int square) { return SquareNameAs(square, Game.engineIsWhite); }

int ParseSquareAs(std::string_view text, bool engineIsWhite) {
  std::string name = SqueezeUpper(text);
  if (name.size() != 2) return 0;
  // Only the letters A..H and the digits 1..8: other characters could land on a playing square
  // of another row through the arithmetic.
  int file = static_cast<unsigned char>(name[0]) - 64;
  int digit = static_cast<unsigned char>(name[1]) - 48;
  if (file < 1 || file > 8 || digit < 1 || digit > 8) return 0;
  int rank = engineIsWhite ? digit : 9 - digit;
  return file + (rank + 1) * 10;
}

int ParseSquare(std::string_view text) { return ParseSquareAs(text, Game.engineIsWhite); }

Move ParseMoveAs(std::string_view text, bool engineIsWhite) {
  std::string squeezed = SqueezeUpper(text);
  if (squeezed.size() < 4) return NullMove;
  int from = ParseSquareAs(squeezed.substr(0, 2), engineIsWhite);
  if (from == 0) return NullMove;
  int to = ParseSquareAs(squeezed.substr(2, 2), engineIsWhite);
  if (to == 0) return NullMove;
  return Move{Square(from), Square(to), QuietMove, 0};
}

Move ParseMove(std::string_view text) { return ParseMoveAs(text, Game.engineIsWhite); }

uint8_t TypedPromotionPiece(std::string_view text) {
  std::string squeezed = SqueezeUpper(text);
  if (squeezed.size() <= 4) return OpponentQueen;
  switch (squeezed[4]) {
    case 'L':
      return OpponentBishop;
    case 'P':
      return OpponentKnight;
    case 'T':
      return OpponentRook;
    default:
      return OpponentQueen;
  }
}

static std::string PromotionLetter(uint8_t piece) {
  switch (piece) {
    case EngineKnight:
    case OpponentKnight:
      return "P";
    case EngineBishop:
    case OpponentBishop:
      return "L";
    case EngineRook:
    case OpponentRook:
      return "T";
    case EngineQueen:
    case OpponentQueen:
      return "D";
    default:
      return "";
  }
}

std::string MoveText(Move move) {
  if (move.kind == EndOfList) return "*STOP*";
  if (move.kind == 0) return "     ";
  const char *separator = "?";
  if (move.kind == QuietMove || move.kind == CastlingMove) separator = "-";
  if (move.kind == EnPassantMove || move.kind == CaptureMove) separator = "x";
  return SquareName(move.from) + separator + SquareName(move.to) + PromotionLetter(move.promotion);
}

std::string CompactMoveText(Move move) {
  return SquareName(move.from) + SquareName(move.to) + PromotionLetter(move.promotion);
}

// Resolves a parsed from-to pair by what stands on the board: capture, castling, en passant
// (a pawn changing file onto an empty square) and promotion to a queen.
static Move ResolveTextMove(const Board &board, Move move) {
  if (board[move.to] != Empty) move.kind = CaptureMove;
  uint8_t piece = board[move.from];
  bool changesFile = FileOf[move.from] != FileOf[move.to];
  if ((piece == EngineKing || piece == OpponentKing) &&
      (move.to - move.from == 2 || move.from - move.to == 2)) {
    move.kind = CastlingMove;
  } else if (piece == EnginePawn) {
    if (move.kind == QuietMove && changesFile)
      move.kind = EnPassantMove;
    else if (RankOf[move.to] == 8)
      move.promotion = EngineQueen;
  } else if (piece == OpponentPawn) {
    if (move.kind == QuietMove && changesFile)
      move.kind = EnPassantMove;
    else if (RankOf[move.to] == 1)
      move.promotion = OpponentQueen;
  }
  return move;
}

bool PlayMoveString(std::string_view text) {
  Board work = Game.currentBoard;
  std::string rest = SqueezeUpper(text);
  for (size_t at = 0; at + 4 <= rest.size(); at += 4) {
    Move move = ParseMove(std::string_view(rest).substr(at, 4));
    if (move.kind == 0 || work[move.from] == Empty) return false;
    ApplyMove(ResolveTextMove(work, move), work);
  }
  Game.currentBoard = work;
  return true;
}
