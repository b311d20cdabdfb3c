#include "board/MoveText.h"

#include <cctype>
#include <vector>

#include "board/EvalState.h"
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/MakeMove.h"
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

// ---------------------------------------------------------------------------------------------
// Standard algebraic notation.

static std::vector<Move> LegalEngineMoves(const Board &board) {
  std::vector<Move> moves;
  ForEachLegalChild(board, EvalState{}, true,
                    [&moves](Move move, const Board &, const EvalState &) { moves.push_back(move); });
  return moves;
}

// The SAN letter of a piece code, either side; ' ' for a pawn.
static char SanLetter(uint8_t piece) {
  switch (piece & ~SideMask) {
    case EngineKnight & ~SideMask:
      return 'N';
    case EngineBishop & ~SideMask:
      return 'B';
    case EngineRook & ~SideMask:
      return 'R';
    case EngineQueen & ~SideMask:
      return 'Q';
    case EngineKing & ~SideMask:
      return 'K';
    default:
      return ' ';
  }
}

static uint8_t EnginePieceOfLetter(char letter) {
  switch (letter) {
    case 'N':
      return EngineKnight;
    case 'B':
      return EngineBishop;
    case 'R':
      return EngineRook;
    case 'Q':
      return EngineQueen;
    case 'K':
      return EngineKing;
    default:
      return 0;
  }
}

static bool IsCaptureKind(Move move) { return move.kind == CaptureMove || move.kind == EnPassantMove; }

static char FileLetter(int square) { return char('a' + FileOf[square] - 1); }
static char RankDigit(int square) { return SquareName(square)[1]; }

Move ReadSanMove(const Board &board, std::string_view text) {
  std::string san;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c)) && c != '+' && c != '#' && c != '!' && c != '?')
      san += c;
  if (san.size() >= 4 && san.compare(san.size() - 4, 4, "e.p.") == 0) san.erase(san.size() - 4);
  std::vector<Move> legal = LegalEngineMoves(board);
  Move found = NullMove;
  int matches = 0;
  auto consider = [&](Move move) {
    found = move;
    matches++;
  };

  if (san == "O-O" || san == "0-0" || san == "O-O-O" || san == "0-0-0") {
    int file = san.size() == 3 ? 7 : 3;  // the king lands on g or c
    for (Move move : legal)
      if (move.kind == CastlingMove && FileOf[move.to] == file) consider(move);
    return matches == 1 ? found : NullMove;
  }

  uint8_t piece = EnginePawn;
  size_t at = 0;
  if (!san.empty() && EnginePieceOfLetter(san[0]) != 0) piece = EnginePieceOfLetter(san[at++]);
  // A promotion at the end: "=Q" or a bare "Q".
  uint8_t promotion = 0;
  if (piece == EnginePawn && !san.empty() && EnginePieceOfLetter(char(std::toupper(san.back()))) != 0 &&
      san.back() != 'b') {
    promotion = EnginePieceOfLetter(char(std::toupper(san.back())));
    san.pop_back();
    if (!san.empty() && san.back() == '=') san.pop_back();
  }
  if (san.size() < at + 2) return NullMove;
  int to = ParseSquare(san.substr(san.size() - 2));
  if (to == 0) return NullMove;
  std::string middle = san.substr(at, san.size() - 2 - at);  // disambiguation and capture mark
  if (!middle.empty() && (middle.back() == 'x' || middle.back() == ':')) middle.pop_back();
  char fromFile = 0, fromRank = 0;
  for (char c : middle) {
    if (c >= 'a' && c <= 'h' && fromFile == 0)
      fromFile = c;
    else if (c >= '1' && c <= '8' && fromRank == 0)
      fromRank = c;
    else
      return NullMove;
  }
  if (piece == EnginePawn && RankOf[to] == 8 && promotion == 0) promotion = EngineQueen;
  for (Move move : legal) {
    if (move.to != to || board[move.from] != piece || move.promotion != promotion) continue;
    if (fromFile != 0 && FileLetter(move.from) != fromFile) continue;
    if (fromRank != 0 && RankDigit(move.from) != fromRank) continue;
    consider(move);
  }
  return matches == 1 ? found : NullMove;
}

std::string SanMoveText(const Board &board, Move move) {
  if (move.kind == CastlingMove) return FileOf[move.to] == 7 ? "O-O" : "O-O-O";
  uint8_t piece = board[move.from];
  std::string to = SquareName(move.to);
  to[0] = char(std::tolower(static_cast<unsigned char>(to[0])));
  std::string text;
  if (piece == EnginePawn) {
    if (IsCaptureKind(move)) text = std::string{FileLetter(move.from), 'x'};
    text += to;
    if (move.promotion != 0) text += std::string{'=', SanLetter(move.promotion)};
    return text;
  }
  // Another piece of the kind that can go there too: the file if it tells them apart, else the
  // rank, else both.
  bool other = false, sameFile = false, sameRank = false;
  for (Move rival : LegalEngineMoves(board)) {
    if (rival.to != move.to || rival.from == move.from || board[rival.from] != piece) continue;
    other = true;
    sameFile = sameFile || FileOf[rival.from] == FileOf[move.from];
    sameRank = sameRank || RankOf[rival.from] == RankOf[move.from];
  }
  text = std::string{SanLetter(piece)};
  if (other && (!sameFile || sameRank)) text += FileLetter(move.from);
  if (other && sameFile) text += RankDigit(move.from);
  if (IsCaptureKind(move)) text += 'x';
  return text + to;
}
