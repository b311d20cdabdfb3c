// krelin-dev solve: a test suite judged. Every EPD line of a file is searched as the engine would
// search a move of its own (the test mode's search, book off, a new game on the position), and the
// move it plays is judged against the line's bm (it must be one of them) and am (it must be none of
// them) operations, whose moves are read in standard algebraic notation by the engine's own
// generator. The test-suite runner of the interpreter stays as it is: it records, it does not judge.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/GameRecord.h"
#include "board/Move.h"
#include "board/MoveText.h"
#include "board/Setup.h"
#include "board/Text.h"
#include "driver/Config.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "tools/DevCommand.h"

namespace {

constexpr double DefaultSolveSeconds = 5;

// One EPD line: the position (a FEN without the move counters) and the operations solve reads.
struct EpdLine {
  std::string fen;
  std::string id;
  std::vector<std::string> best;   // bm operands
  std::vector<std::string> avoid;  // am operands
};

std::vector<std::string> Words(const std::string &text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::string Trimmed(const std::string &text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// False for blank and comment lines ("#"). A leading "%" (the mark of a position line in the
// engine's own test files) is skipped.
bool ReadEpdLine(std::string text, EpdLine &line) {
  text = Trimmed(text);
  if (!text.empty() && text[0] == '%') text = Trimmed(text.substr(1));
  if (text.empty() || text[0] == '#') return false;
  std::vector<std::string> fields = Words(text);
  line = EpdLine{};
  for (size_t k = 0; k < 4 && k < fields.size(); k++) line.fen += fields[k] + " ";
  line.fen += "0 1";
  // The operations follow the four position fields.
  size_t at = 0;
  for (int field = 0; field < 4 && at != std::string::npos; field++) {
    at = text.find_first_not_of(" \t", at);
    at = at == std::string::npos ? at : text.find_first_of(" \t", at);
  }
  std::string operations = at == std::string::npos ? "" : text.substr(at);
  std::istringstream in(operations);
  for (std::string operation; std::getline(in, operation, ';');) {
    std::vector<std::string> words = Words(operation);
    if (words.empty()) continue;
    std::vector<std::string> operands(words.begin() + 1, words.end());
    if (words[0] == "bm") line.best.insert(line.best.end(), operands.begin(), operands.end());
    if (words[0] == "am") line.avoid.insert(line.avoid.end(), operands.begin(), operands.end());
    if (words[0] == "id") {
      std::string id = Trimmed(operation.substr(operation.find("id") + 2));
      if (id.size() >= 2 && id.front() == '"' && id.back() == '"') id = id.substr(1, id.size() - 2);
      line.id = id;
    }
  }
  return true;
}

// The moves of a bm or am operation; false when one of them names no single legal move.
bool ReadSanList(const Board &board, const std::vector<std::string> &texts, std::vector<Move> &moves) {
  for (const std::string &text : texts) {
    Move move = ReadSanMove(board, text);
    if (move.IsNull()) return false;
    moves.push_back(move);
  }
  return true;
}

bool Contains(const std::vector<Move> &moves, Move move) {
  for (Move m : moves)
    if (m == move) return true;
  return false;
}

bool ParseSolveOptions(const std::vector<std::string> &args, double &seconds, int &depth) {
  bool timeGiven = false;
  for (size_t k = 1; k < args.size(); k += 2) {
    if (k + 1 >= args.size()) return false;
    if (args[k] == "--time") {
      char *end = nullptr;
      seconds = std::strtod(args[k + 1].c_str(), &end);
      if (end == args[k + 1].c_str() || *end != '\0' || !(seconds > 0)) return false;
      timeGiven = true;
    } else if (args[k] == "--depth") {
      bool error = false;
      depth = ParseNumber(args[k + 1], error);
      if (error || depth < 1 || depth > FullHorizon) return false;
    } else {
      return false;
    }
  }
  // A depth alone searches untimed; neither gives the default time.
  if (!timeGiven) seconds = depth == FullHorizon ? DefaultSolveSeconds : 0;
  return true;
}

int SolveCommand(const std::vector<std::string> &args) {
  double seconds = 0;
  int depth = FullHorizon;
  if (args.empty() || !ParseSolveOptions(args, seconds, depth)) {
    std::fprintf(stderr, "krelin-dev: expected FILE [--time SECONDS] [--depth N] (N at most %d)\n",
                 FullHorizon);
    return 2;
  }
  DevInitTables();
  std::ifstream file(args[0], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "krelin-dev: cannot read %s\n", args[0].c_str());
    return 1;
  }
  int solved = 0, judged = 0, lineNumber = 0;
  for (std::string text; std::getline(file, text);) {
    lineNumber++;
    EpdLine line;
    if (!ReadEpdLine(text, line)) continue;
    std::string id = line.id.empty() ? "line" + std::to_string(lineNumber) : line.id;
    Board board;
    bool engineIsWhite = true;
    std::vector<Move> best, avoid;
    bool readable = ReadFen(line.fen, board, engineIsWhite);
    if (readable) {
      Game.engineIsWhite = engineIsWhite;  // square names in the SAN are the side to move's
      readable = ReadSanList(board, line.best, best) && ReadSanList(board, line.avoid, avoid);
    }
    if (!readable) {
      std::printf("%-12s %-7s unreadable\n", id.c_str(), "-");
      std::fflush(stdout);
      continue;
    }
    double searchSeconds = 0;
    SearchPosition(line.fen, depth, seconds, false, searchSeconds);
    Move played = Tree.bestLine.move[1];
    std::string verdict = "unjudged";
    if (!best.empty() || !avoid.empty()) {
      bool ok = (best.empty() || Contains(best, played)) && !Contains(avoid, played);
      verdict = ok ? "solved" : "missed";
      judged++;
      solved += ok ? 1 : 0;
    }
    std::string san = played.IsNull() ? "none" : SanMoveText(board, played);
    std::printf("%-12s %-7s %-8s depth %2d nodes %10" PRIu64 " time %6.2f\n", id.c_str(), san.c_str(),
                verdict.c_str(), Tree.depthReached, SearchNodeTotal(), searchSeconds);
    std::fflush(stdout);
  }
  std::printf("solved %d/%d\n", solved, judged);
  return 0;
}

DevCommand solveCommand("solve", "FILE [--time SECONDS] [--depth N]", SolveCommand);

}  // namespace
