#include "board/Setup.h"

#include <cctype>
#include <fstream>

#include "board/Attacks.h"
#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/MoveText.h"
#include "board/Text.h"

// ---------------------------------------------------------------------------------------------
// What both readers demand of the position they built.

// Castling rights need the king and the rook on their start squares (the same indices for either
// colour, since the engine's back row is always row 2); an en passant square needs the opponent's
// pawn that has just made its double step. Anything else is dropped.
static void DropUnusableState(Board &board) {
  uint8_t &engineRights = board[EngineRights];
  if (board[25] != EngineKing) engineRights = 0;
  if (board[28] != EngineRook) engineRights &= ~1;
  if (board[21] != EngineRook) engineRights &= ~2;
  uint8_t &opponentRights = board[OpponentRights];
  if (board[95] != OpponentKing) opponentRights = 0;
  if (board[98] != OpponentRook) opponentRights &= ~1;
  if (board[91] != OpponentRook) opponentRights &= ~2;
  int passed = board[EnPassantSquare];
  if (passed != 0 && (!IsPlayingSquare(passed) || RankOf[passed] != 5 || board[passed] != OpponentPawn))
    board[EnPassantSquare] = 0;
}

// Piece counts of one side, by kind: pawns, knights, bishops, rooks, queens, kings.
struct SideMaterialCount {
  int kind[6];
  int total;
};

static int KindIndex(uint8_t piece) {
  switch (SideOf(piece) == EngineSide ? piece : piece - 1) {
    case EnginePawn:
      return 0;
    case EngineKnight:
      return 1;
    case EngineBishop:
      return 2;
    case EngineRook:
      return 3;
    case EngineQueen:
      return 4;
    default:
      return 5;
  }
}

// A side whose pieces a game could hold: one king, at most 16 men, and no more pieces of a kind
// than the start gave it plus the pawns it has promoted. Such a side never fills a move list.
static bool IsPossibleSide(const SideMaterialCount &side) {
  constexpr int StartCount[6] = {8, 2, 2, 2, 1, 1};
  int promoted = 0;
  for (int k = 1; k <= 4; k++) promoted += side.kind[k] > StartCount[k] ? side.kind[k] - StartCount[k] : 0;
  return side.kind[5] == 1 && side.total <= 16 && side.kind[0] + promoted <= 8;
}

// A position the engine can search: each side possible as above, and no pawn on the first or last
// rank (rows 2 and 9 from either side), where it could neither move nor be evaluated. Fills the
// king-square bytes.
static bool HasSearchablePieces(Board &board) {
  SideMaterialCount sides[2] = {};
  for (int square = 21; square <= 98; square++) {
    uint8_t piece = board[square];
    if (piece == Empty || !IsPlayingSquare(square)) continue;
    SideMaterialCount &side = sides[SideOf(piece) == EngineSide ? 0 : 1];
    side.kind[KindIndex(piece)]++;
    side.total++;
    if (piece == EngineKing) board[EngineKingSquare] = uint8_t(square);
    if (piece == OpponentKing) board[OpponentKingSquare] = uint8_t(square);
    if ((piece == EnginePawn || piece == OpponentPawn) && (square < 31 || square > 88)) return false;
  }
  return IsPossibleSide(sides[0]) && IsPossibleSide(sides[1]);
}

static bool FinishPosition(Board &board) {
  if (!HasSearchablePieces(board)) return false;
  // The side that has just moved cannot have left its king in check: the engine would take it.
  if (IsAttacked(board, board[OpponentKingSquare], EngineSide)) return false;
  DropUnusableState(board);
  return true;
}

// ---------------------------------------------------------------------------------------------
// FEN / EPD.

// The engine's piece an upper-case letter names, in a notation given by its letters for pawn,
// knight, bishop, rook, queen and king; Empty for any other letter.
static uint8_t PieceFromLetter(char upper, std::string_view letters) {
  constexpr uint8_t pieces[6] = {EnginePawn, EngineKnight, EngineBishop, EngineRook, EngineQueen, EngineKing};
  size_t at = letters.find(upper);
  return at == std::string_view::npos ? Empty : pieces[at];
}

constexpr std::string_view FenLetters = "PNBRQK";
constexpr std::string_view DutchLetters = "BPLTDK";  // boer, paard, loper, toren, dame, koning

static void CutAt(std::string &text, std::string_view marker) {
  size_t at = text.find(marker);
  if (at != std::string::npos) text.resize(at);
}

// Ranks from the 8th down to the 1st; the side to move gets the odd codes and the bottom rows.
// Ranks past the eighth and squares past the eighth file are ignored.
static void PlacePieces(std::string_view placement, bool engineIsWhite, Board &board) {
  int rankCount = 0;  // '/' seen so far
  int column = 0;     // the file of the last square passed in this rank
  for (char c : placement) {
    if (c == '/') {
      rankCount++;
      column = 0;
      continue;
    }
    if (rankCount > 7) break;
    if (c >= '1' && c <= '8') {
      column += c - '0';
      continue;
    }
    bool upper = std::isupper(static_cast<unsigned char>(c)) != 0;
    uint8_t piece = PieceFromLetter(char(std::toupper(static_cast<unsigned char>(c))), FenLetters);
    if (piece == Empty) continue;
    column++;
    if (column > 8) continue;
    bool engines = upper == engineIsWhite;
    int row = engineIsWhite ? 9 - rankCount : 2 + rankCount;
    board[row * 10 + column] = engines ? piece : uint8_t(piece + 1);
  }
}

bool ReadFen(std::string_view line, Board &board, bool &engineIsWhite) {
  std::string text(line.substr(0, MaxTextLength));
  CutAt(text, ";");
  CutAt(text, "am");
  CutAt(text, "bm");

  bool white = true;
  size_t marker = text.find(" w ");
  if (marker == std::string::npos) {
    white = false;
    marker = text.find(" b ");
    if (marker == std::string::npos) return false;
  }
  std::string_view placement = std::string_view(text).substr(0, marker);
  std::string_view rest = std::string_view(text).substr(marker + 2);

  Board parsed = EmptyBoard;
  // Castling letters: the upper-case ones are White's, granted to whichever side White is.
  auto has = [rest](char c) { return rest.find(c) != std::string_view::npos; };
  uint8_t whiteRights = uint8_t((has('K') ? 1 : 0) + (has('Q') ? 2 : 0));
  uint8_t blackRights = uint8_t((has('k') ? 1 : 0) + (has('q') ? 2 : 0));
  parsed[EngineRights] = white ? whiteRights : blackRights;
  parsed[OpponentRights] = white ? blackRights : whiteRights;

  PlacePieces(placement, white, parsed);

  // En passant: only a pawn that could really be taken, named by the square behind it.
  for (int target = 71; target <= 78; target++) {
    bool capturable = parsed[target - 10] == OpponentPawn &&
                      (parsed[target - 11] == EnginePawn || parsed[target - 9] == EnginePawn);
    if (!capturable) continue;
    std::string name = SquareNameAs(target, white);
    for (char &c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (rest.find(name) != std::string_view::npos) {
      parsed[EnPassantSquare] = uint8_t(target - 10);
      break;
    }
  }

  if (!FinishPosition(parsed)) return false;
  board = parsed;
  engineIsWhite = white;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Position file: KEY=VALUE lines.

// A castling byte is one digit 0..3; any other value is ignored.
static void SetRights(std::string_view value, uint8_t &rights) {
  if (value.size() == 1 && value[0] >= '0' && value[0] <= '3') rights = uint8_t(value[0] - '0');
}

// One normalised line; square names are read from the side that WT has chosen so far.
static void ApplyPositionLine(const std::string &line, Board &board, bool &white) {
  if (line.size() < 4 || line[2] != '=' || line[0] == '/' || line[0] == '\\') return;
  std::string_view key = std::string_view(line).substr(0, 2);
  std::string_view value = std::string_view(line).substr(3, 100);
  if (key == "WT") {
    white = value == "1";
  } else if (key == "R1") {
    SetRights(value, board[EngineRights]);
  } else if (key == "R2") {
    SetRights(value, board[OpponentRights]);
  } else if (key == "EP") {
    board[EnPassantSquare] = uint8_t(ParseSquareAs(value, white));
  } else {
    uint8_t piece = PieceFromLetter(key[0], DutchLetters);
    int square = ParseSquareAs(value, white);
    if (piece == Empty || square == 0) return;
    board[square] = key[1] == '1' ? piece : uint8_t(piece + 1);
  }
}

bool ReadPositionFile(const std::string &path, Board &board, bool &engineIsWhite) {
  std::ifstream file(path);
  if (!file) return false;
  Board parsed = EmptyBoard;
  bool white = true;
  std::string line;
  while (std::getline(file, line)) ApplyPositionLine(SqueezeUpper(line), parsed, white);
  if (file.bad() || !FinishPosition(parsed)) return false;
  board = parsed;
  engineIsWhite = white;
  return true;
}
