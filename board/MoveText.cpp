#include "board/MoveText.h"

#include "board/Perft.h"
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

const PromotionName *FindPromotion(char letter, bool english) {
  for (const PromotionName &name : PromotionNames)
    if ((english ? name.english : name.dutch) == letter) return &name;
  return nullptr;
}

uint8_t TypedPromotionPiece(std::string_view text) {
  std::string squeezed = SqueezeUpper(text);
  const PromotionName *name = squeezed.size() > 4 ? FindPromotion(squeezed[4], false) : nullptr;
  return name != nullptr ? name->opponentPiece : OpponentQueen;
}

static std::string PromotionLetter(uint8_t piece) {
  for (const PromotionName &name : PromotionNames)
    if (piece == name.enginePiece || piece == name.opponentPiece) return std::string(1, name.dutch);
  return "";
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

Move ResolveMove(const Board &board, int from, int to) {
  Move move{Square(from), Square(to), board[to] != Empty ? CaptureMove : QuietMove, 0};
  uint8_t piece = board[from];
  bool changesFile = FileOf[from] != FileOf[to];
  if ((piece == EngineKing || piece == OpponentKing) && (to - from == 2 || from - to == 2)) {
    move.kind = CastlingMove;
  } else if (piece == EnginePawn) {
    if (move.kind == QuietMove && changesFile)
      move.kind = EnPassantMove;
    else if (RankOf[to] == 8)
      move.promotion = EngineQueen;
  } else if (piece == OpponentPawn) {
    if (move.kind == QuietMove && changesFile)
      move.kind = EnPassantMove;
    else if (RankOf[to] == 1)
      move.promotion = OpponentQueen;
  }
  return move;
}

bool PlayMoveString(std::string_view text, bool engineMovesFirst) {
  Board work = Game.currentBoard;
  if (!FindKings(work)) return false;
  bool engineToMove = engineMovesFirst;
  std::string rest = SqueezeUpper(text);
  for (size_t at = 0; at + 4 <= rest.size(); at += 4) {
    Move typed = ParseMove(std::string_view(rest).substr(at, 4));
    if (typed.kind == 0) return false;
    // The typed squares must name a legal move of the side to move; a promotion makes a queen.
    bool found = false;
    Board next;
    ForEachLegalChild(work, EvalState{}, engineToMove, [&](Move move, const Board &child, const EvalState &) {
      bool queenOrNone =
          move.promotion == 0 || move.promotion == EngineQueen || move.promotion == OpponentQueen;
      if (!found && move.from == typed.from && move.to == typed.to && queenOrNone) {
        next = child;
        found = true;
      }
    });
    if (!found) return false;
    work = next;
    engineToMove = !engineToMove;
  }
  Game.currentBoard = work;
  return true;
}
