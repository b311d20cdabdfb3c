#include "board/Setup.h"

#include <cctype>
#include <fstream>

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

// Exactly one king of each side and at most 8 pawns of each; fills the king-square bytes.
static bool HasSearchablePieces(Board &board) {
  int engineKings = 0, opponentKings = 0, enginePawns = 0, opponentPawns = 0;
  for (int square = 21; square <= 98; square++) {
    switch (board[square]) {
      case EngineKing:
        engineKings++;
        board[EngineKingSquare] = uint8_t(square);
        break;
      case OpponentKing:
        opponentKings++;
        board[OpponentKingSquare] = uint8_t(square);
        break;
      case EnginePawn:
        enginePawns++;
        break;
      case OpponentPawn:
        opponentPawns++;
        break;
      default:
        break;
    }
  }
  return engineKings == 1 && opponentKings == 1 && enginePawns <= 8 && opponentPawns <= 8;
}

static bool FinishPosition(Board &board) {
  if (!HasSearchablePieces(board)) return false;
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

Board OtherSideView(const Board &board) {
  auto mirrored = [](int square) { return square == 0 ? 0 : (11 - square / 10) * 10 + square % 10; };
  Board view = EmptyBoard;
  for (int square = 21; square <= 98; square++) {
    if (!IsPlayingSquare(square)) continue;
    uint8_t piece = board[square];
    view[mirrored(square)] = piece == Empty ? Empty : uint8_t(piece ^ SideMask);
  }
  view[EngineRights] = board[OpponentRights];
  view[OpponentRights] = board[EngineRights];
  view[EnPassantSquare] = uint8_t(mirrored(board[EnPassantSquare]));
  view[EngineKingSquare] = uint8_t(mirrored(board[OpponentKingSquare]));
  view[OpponentKingSquare] = uint8_t(mirrored(board[EngineKingSquare]));
  return view;
}
