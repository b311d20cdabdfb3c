// krelin-dev mkbook: builds a book file from a text file of opening lines.
//
// The text holds one variation per line, moves in four-character coordinates separated by blanks
// ("e2e4 e7e5 g1f3"), in any case. Everything from a backslash to the end of a line is a comment;
// blank lines are ignored; a line that is just "@" or "#" becomes the one-byte marker record. Each
// move is stored as the raw mailbox squares of the book's own orientation: in the White book the
// engine is White (e2e4 is 35, 55), in the Black book the mailbox is mirrored and the first move is
// the opponent's (e2e4 is 85, 65).
//
// Every line is replayed from the initial position with the engine's own generators and legality
// test, and the stored squares must resolve to exactly the move the generator made, so the engine
// replays the line as it was written. One bad line fails the whole build and nothing is written.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "board/Attacks.h"
#include "board/EvalState.h"
#include "board/Geometry.h"
#include "board/Move.h"
#include "board/MoveText.h"
#include "board/Perft.h"
#include "book/Book.h"
#include "tools/DevCommand.h"

namespace {

constexpr int MaxLineMoves = (BookRecordSize - 1) / 2;  // 30 half-moves fill the 60 bytes

using Record = std::vector<uint8_t>;  // the bytes after the length byte

// The text before any comment, without surrounding blanks (CR of a DOS line ending included).
std::string StripComment(std::string text) {
  size_t comment = text.find('\\');
  if (comment != std::string::npos) text.erase(comment);
  const char *blanks = " \t\r\n\f\v";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> SplitWords(const std::string &text) {
  std::vector<std::string> words;
  size_t at = 0;
  while ((at = text.find_first_not_of(" \t", at)) != std::string::npos) {
    size_t end = text.find_first_of(" \t", at);
    words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

// The initial position as the book's colour sees it, with the king squares the legality test reads.
Board InitialPosition() {
  Board board = StartBoard;
  board[EngineKingSquare] = 25;
  board[OpponentKingSquare] = 95;
  return board;
}

// Replays the moves from the initial position and appends each one's squares to record. White
// moves first: the engine in the White book, the opponent in the Black book. On failure returns
// false with the reason in why.
bool EncodeLine(const std::vector<std::string> &words, bool whiteBook, Record &record, std::string &why) {
  if (int(words.size()) > MaxLineMoves) {
    why = "more than " + std::to_string(MaxLineMoves) + " half-moves";
    return false;
  }
  Board board = InitialPosition();
  bool engineToMove = whiteBook;
  for (const std::string &word : words) {
    int from = word.size() == 4 ? ParseSquareAs(word.substr(0, 2), whiteBook) : 0;
    int to = word.size() == 4 ? ParseSquareAs(word.substr(2, 2), whiteBook) : 0;
    if (from == 0 || to == 0) {
      why = "\"" + word + "\" is not a four-character move";
      return false;
    }
    // What the engine will make of the stored squares must be a move its generator offers.
    Move stored = ResolveMove(board, from, to);
    bool generated = false;
    ForEachNodeMove(board, engineToMove, [&](Move move) { generated = generated || move == stored; });
    Board child;
    EvalState childState;
    if (!generated || !MakeLegalChild(board, EvalState{}, stored, engineToMove,
                                      SideToMoveInCheck(board, engineToMove), child, childState)) {
      why = "\"" + word + "\" is not a legal move here";
      return false;
    }
    record.push_back(uint8_t(from));
    record.push_back(uint8_t(to));
    board = child;
    engineToMove = !engineToMove;
  }
  return true;
}

// Reads and checks the whole source; reports every bad line on stderr. True when all were good.
bool ReadSource(const std::string &path, bool whiteBook, std::vector<Record> &records) {
  std::ifstream file(path);
  if (!file) {
    std::fprintf(stderr, "krelin-dev mkbook: cannot read %s\n", path.c_str());
    return false;
  }
  bool good = true;
  std::string text;
  for (int number = 1; std::getline(file, text); number++) {
    std::string content = StripComment(text);
    if (content.empty()) continue;
    Record record;
    std::string why;
    if (content == "@" || content == "#") {
      record.push_back(uint8_t(content[0]));
    } else if (!EncodeLine(SplitWords(content), whiteBook, record, why)) {
      std::fprintf(stderr, "%s:%d: %s: %s\n", path.c_str(), number, why.c_str(), content.c_str());
      good = false;
      continue;
    }
    records.push_back(record);
  }
  if (int(records.size()) > BookLineLimit) {
    std::fprintf(stderr, "%s: %zu lines; the engine reads at most %d\n", path.c_str(), records.size(),
                 BookLineLimit);
    good = false;
  }
  return good;
}

// Fixed 61-byte records: the length byte, the line, zeros after it.
bool WriteBook(const std::string &path, const std::vector<Record> &records) {
  std::vector<uint8_t> bytes;
  for (const Record &record : records) {
    bytes.push_back(uint8_t(record.size()));
    bytes.insert(bytes.end(), record.begin(), record.end());
    bytes.resize(bytes.size() + (BookRecordSize - 1 - record.size()), 0);
  }
  std::FILE *file = std::fopen(path.c_str(), "wb");
  // A text without lines makes an empty book: nothing to write, and no data pointer to pass.
  bool written =
      file != nullptr && (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  if (file != nullptr && std::fclose(file) != 0) written = false;
  if (!written) {
    std::fprintf(stderr, "krelin-dev mkbook: cannot write %s\n", path.c_str());
    std::remove(path.c_str());
  }
  return written;
}

int MakeBookCommand(const std::vector<std::string> &args) {
  if (args.size() != 3 || (args[0] != "white" && args[0] != "black")) {
    std::fprintf(stderr, "krelin-dev: expected white|black TEXT OUT\n");
    return 1;
  }
  DevInitTables();
  bool whiteBook = args[0] == "white";
  std::vector<Record> records;
  if (!ReadSource(args[1], whiteBook, records)) return 1;
  if (!WriteBook(args[2], records)) return 1;
  int markers = 0;
  for (const Record &record : records) markers += record.size() == 1 ? 1 : 0;
  std::printf("%zu lines and %d markers written to %s\n", records.size() - markers, markers, args[2].c_str());
  return 0;
}

DevCommand mkbookCommand("mkbook", "white|black TEXT OUT: a book file from a text file of opening lines",
                         MakeBookCommand);

}  // namespace
