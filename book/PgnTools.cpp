#include "book/PgnTools.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

#include "board/Text.h"

static void WriteTextLine(std::ostream &file, const std::string &line) { file << line << "\r\n"; }

static bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// At most count characters of text from the 1-based position from on; empty past the end.
static std::string_view Part(std::string_view text, size_t from, size_t count) {
  return from - 1 < text.size() ? text.substr(from - 1, count) : std::string_view();
}

static std::string Progress(int count) { return "  >> " + std::to_string(count); }

// Opens the input and creates the output; nothing is created when the input cannot be read. On
// failure, says which file failed and why.
static bool OpenFiles(const std::string &inputPath, const std::string &outputPath, std::ifstream &input,
                      std::ofstream &output, std::string &failure) {
  failure.clear();
  errno = 0;
  input.open(inputPath, std::ios::binary);
  std::error_code ignored;
  if (input && std::filesystem::is_directory(inputPath, ignored)) {  // opens, but reads nothing
    input.close();
    errno = EISDIR;
  }
  if (!input.is_open()) {
    failure = FileFailureText(false, inputPath);
    return false;
  }
  output.open(outputPath, std::ios::binary);
  if (!output) failure = FileFailureText(true, outputPath);
  return bool(output);
}

// The end of a tool's run: the output closed, and whether both files were read and written whole.
static bool CloseFiles(const std::string &inputPath, const std::string &outputPath, std::ifstream &input,
                       std::ofstream &output, std::string &failure) {
  if (input.bad()) failure = FileFailureText(false, inputPath);
  errno = 0;
  output.close();
  if (output.fail() && failure.empty()) failure = FileFailureText(true, outputPath);
  return failure.empty();
}

// ---------------------------------------------------------------------------------------------
// The game filter.

namespace {
struct GameFilter {
  std::string key;  // squeezed
  std::vector<std::string> buffer;
  int gamesWritten = 0;
};
}  // namespace

// The buffered game goes out when one of its lines holds the key; the buffer is emptied.
static void FlushGame(GameFilter &filter, std::ostream &output, std::string &messageLine) {
  bool matches = std::any_of(filter.buffer.begin(), filter.buffer.end(), [&](const std::string &line) {
    return Contains(SqueezeUpper(line), filter.key);
  });
  if (matches) {
    for (const std::string &line : filter.buffer) WriteTextLine(output, line);
    filter.gamesWritten++;
  }
  filter.buffer.clear();
  messageLine = Progress(filter.gamesWritten);
}

bool FilterGamesByKey(const std::string &inputPath, const std::string &outputPath, std::string_view key,
                      std::string &messageLine, std::string &failure) {
  std::ifstream input;
  std::ofstream output;
  if (!OpenFiles(inputPath, outputPath, input, output, failure)) return false;
  GameFilter filter;
  filter.key = SqueezeUpper(key);
  std::string line;
  while (ReadTextLine(input, line)) {
    if (Contains(SqueezeUpper(line), "[EVENT") && !filter.buffer.empty())
      FlushGame(filter, output, messageLine);
    if (int(filter.buffer.size()) < GameBufferLines) filter.buffer.push_back(line);
  }
  FlushGame(filter, output, messageLine);  // the last game is examined like the others
  return CloseFiles(inputPath, outputPath, input, output, failure);
}

// ---------------------------------------------------------------------------------------------
// The book builder.

// The tag value's surname (the squeezed text between the first double quote and the next double
// quote or comma) is one of PlayerList.
static bool PlayerMatches(std::string_view squeezedTagLine) {
  size_t open = squeezedTagLine.find('"');
  if (open == std::string_view::npos) return false;
  std::string_view value = squeezedTagLine.substr(open + 1);
  std::string_view surname = value.substr(0, value.find_first_of("\","));
  if (surname.empty()) return false;
  std::string entry(1, '#');
  entry.append(surname).push_back('#');
  return Contains(PlayerList, entry);
}

// Without ", [ and ]
static std::string StripTagChars(std::string_view text) {
  std::string result;
  for (char c : text)
    if (c != '"' && c != '[' && c != ']') result += c;
  return result;
}

namespace {
struct BookText {
  int moveCount;
  bool white;
  std::vector<std::string> variants;  // ascending byte order
  bool accepted = false;              // this game's player from the list had the wanted colour
  std::string site, result, player;
};
}  // namespace

// The coordinate move text of the first moveCount moves of a game's first move line; empty when
// the line does not reach the next move or is not plain coordinate notation without comments.
static std::string VariantMoves(std::string moves, int moveCount) {
  size_t next = moves.find(std::to_string(moveCount + 1));
  if (next == std::string::npos) return "";
  moves.erase(next);
  if (moves.find_first_of("NRB{") != std::string::npos) return "";
  std::erase(moves, 'Q');
  for (int k = 1; k <= moveCount; k++) {
    size_t number = moves.find(std::to_string(k) + ".");
    if (number != std::string::npos) moves.erase(number, std::to_string(k).size() + 1);
  }
  constexpr std::string_view coordinateCharacters = "abcdefgh12345678";
  std::string variant;
  for (char c : moves)
    if (coordinateCharacters.find(c) != std::string_view::npos) variant += c;  // blanks dropped too
  return variant;
}

// Equal variants keep the order they came in: the new one goes after them.
static void InsertVariant(BookText &book, const std::string &variant, std::string &messageLine) {
  if (int(book.variants.size()) < VariantLimit)
    book.variants.insert(std::upper_bound(book.variants.begin(), book.variants.end(), variant), variant);
  messageLine = Progress(int(book.variants.size()));
}

static void ReadTagLine(BookText &book, const std::string &s) {
  if (StartsWith(s, "[SITE")) {
    book.accepted = false;
    book.site = StripTagChars(Part(s, 7, 50));
    book.result.clear();
    book.player.clear();
  } else if (StartsWith(s, "[RESULT")) {
    book.result = StripTagChars(Part(s, 8, 10));
  } else if (StartsWith(s, book.white ? "[WHITE\"" : "[BLACK\"") && PlayerMatches(s)) {
    book.accepted = true;
    book.player = StripTagChars(Part(s, 7, 40));
  }
}

static bool GameCounts(const BookText &book) {
  for (const char *kind : {"BLITZ", "BLIND", "SIMUL"})
    if (Contains(book.site, kind)) return false;
  return Contains(book.result, book.white ? "1-0" : "0-1") || Contains(book.result, "1/2");
}

static void ReadMoveLine(BookText &book, const std::string &raw, std::string &messageLine) {
  std::string variant = VariantMoves(raw, book.moveCount);
  if (variant.empty() || !GameCounts(book)) return;
  variant += "\\" + book.player + " " + book.result + " " + book.site;
  InsertVariant(book, variant.substr(0, VariantWidth), messageLine);
}

bool BuildBookText(const std::string &inputPath, const std::string &outputPath, int moveCount, bool white,
                   std::string &messageLine, std::string &failure) {
  std::ifstream input;
  std::ofstream output;
  if (!OpenFiles(inputPath, outputPath, input, output, failure)) return false;
  BookText book;
  book.moveCount = moveCount < 0 ? 1 : std::min(moveCount, BookTextMoves);
  book.white = white;
  std::string raw;
  while (ReadTextLine(input, raw)) {
    std::string s = SqueezeUpper(raw);
    if (StartsWith(s, "["))
      ReadTagLine(book, s);
    else if (StartsWith(s, "1.") && book.accepted)
      ReadMoveLine(book, raw, messageLine);
  }
  WriteTextLine(output, std::string(white ? "\\ Wit" : "\\ Zwart") + "  Spelers: " + PlayerList);
  WriteTextLine(output, "\\ " + std::to_string(book.variants.size()) + "  varianten");
  for (const std::string &variant : book.variants) WriteTextLine(output, variant);
  return CloseFiles(inputPath, outputPath, input, output, failure);
}
