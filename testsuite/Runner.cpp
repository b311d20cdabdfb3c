#include "testsuite/Runner.h"

#include <cstdio>
#include <fstream>

#include "board/Board.h"
#include "board/MoveText.h"
#include "board/Text.h"
#include "book/Book.h"
#include "driver/Config.h"
#include "driver/GameFlow.h"
#include "driver/Platform.h"
#include "driver/Reports.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

namespace {
enum class LineKind { Comment, FenPosition, PositionFile, MoveSequence };

struct SuiteRun {
  std::ofstream result;
  int positionCount = 0;
  double totalTime = 0;  // days
};
}  // namespace

static void WriteLine(SuiteRun &run, const std::string &line) { run.result << line << "\r\n"; }

static std::string SecondsText(double days) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", days * 86400.0);
  return text;
}

std::string ResultFileName(const std::string &fileName) {
  std::string name = SqueezeUpper(fileName);
  return ResultFilePrefix + name.substr(0, name.find('.')) + ".txt";
}

// Cuts the comment off the line and tells its kind by the squeezed rest.
static LineKind ClassifyLine(std::string &raw, std::string &squeezed) {
  size_t comment = raw.find('\\');
  if (comment != std::string::npos) raw.erase(comment);
  squeezed = SqueezeUpper(raw);
  if (squeezed.empty() || squeezed[0] == '#') return LineKind::Comment;
  if (squeezed[0] == '%') return LineKind::FenPosition;
  if (squeezed[0] == 'P') return LineKind::PositionFile;
  return LineKind::MoveSequence;
}

// The engine searches the game position and plays its move there.
static void SearchNow(SuiteRun &run) {
  Signals.commandText = "/R";
  PlayMove();
  run.totalTime += Flow.lastSearchTime;
}

static void WriteSearchStatistics(SuiteRun &run) {
  WriteLine(run, "kn=" + std::to_string(Tree.nodeCount));
  WriteLine(run, TTStatistics());
}

static void RunPositionLine(SuiteRun &run, LineKind kind, const std::string &raw, const std::string &squeezed) {
  run.positionCount++;
  bool setUp = kind == LineKind::FenPosition ? SetupFromFen(raw) : SetupFromPositionFile(squeezed + ".txt");
  if (!setUp) return;  // a rejected position is counted but leaves no trace
  SearchNow(run);
  WriteLine(run, raw);
  // The set-up started a new game, so the search log holds this search alone.
  for (int i = 0; i < Reports.searchLogCount; i++) {
    std::string line = Reports.searchLog[i];
    line.erase(line.find_last_not_of(' ') + 1);
    WriteLine(run, line);
  }
  WriteSearchStatistics(run);
}

// The replay makes no legality test, so a move may take a king; the search needs both.
static bool HasBothKings(const Board &board) {
  int engineKings = 0, opponentKings = 0;
  for (int square = 21; square <= 98; square++) {
    engineKings += board[square] == EngineKing;
    opponentKings += board[square] == OpponentKing;
  }
  return engineKings == 1 && opponentKings == 1;
}

// The moves are played from the initial position, whatever the last line left on the board; the
// engine is the side to move after them. A line that does not replay leaves the board and the
// engine's colour as they were, so the game stays that of the last position searched.
static bool ReplayMoveLine(const std::string &moves) {
  Board before = Game.currentBoard;
  bool wasWhite = Game.engineIsWhite;
  Game.engineIsWhite = moves.size() / 4 % 2 == 0;
  Game.currentBoard = StartBoard;
  if (PlayMoveString(moves) && HasBothKings(Game.currentBoard)) return true;
  Game.currentBoard = before;
  Game.engineIsWhite = wasWhite;
  return false;
}

static void RunMoveLine(SuiteRun &run, const std::string &squeezed) {
  run.positionCount++;
  bool replayed = ReplayMoveLine(squeezed);
  std::string report = "\\>";
  Reports.messageLine.clear();
  if (replayed) {
    // The position becomes a game of its own: its only history entry, no pairs played yet, so
    // that a take-back after the run rebuilds it from the right board.
    Game.gameStartBoard = Game.currentBoard;
    Flow.gameRecordCount = 0;
    Game.gameHistory.count = 0;
    PushGamePosition(Game.currentBoard, 0);
    SearchNow(run);
    BuildAnalysisLine(16, true);
    report += " k = " + std::to_string(Tree.nodeCount) + " " + SecondsText(Flow.lastSearchTime) + " sec";
  } else {
    report += " variant fout";
  }
  report += " " + Reports.messageLine;
  WriteLine(run, squeezed);
  WriteLine(run, report);
  if (replayed) WriteSearchStatistics(run);
}

void RunTestSuite(const std::string &fileName, bool &out) {
  out = true;
  Signals.stopSearch = false;
  std::string name = SqueezeUpper(fileName);
  if (name.empty()) return;
  std::string inputPath = Settings.filePrefix + name;
  Books.useBook = false;
  out = false;
  SuiteRun run;
  std::ifstream input(ResolveFileName(inputPath), std::ios::binary);
  if (input) run.result.open(Settings.filePrefix + ResultFileName(name), std::ios::binary);
  if (!input || !run.result) {
    out = true;
    Books.useBook = true;
    return;
  }

  WriteLine(run, inputPath);
  WriteLine(run, "maxh = " + std::to_string(Settings.maxHorizon));
  WriteLine(run, "");
  std::string raw, squeezed;
  while (ReadTextLine(input, raw)) {
    LineKind kind = ClassifyLine(raw, squeezed);
    if (kind == LineKind::MoveSequence)
      RunMoveLine(run, squeezed);
    else if (kind != LineKind::Comment)
      RunPositionLine(run, kind, raw, squeezed);
  }
  WriteLine(run, "");
  WriteLine(run, "Gebruikte tijd: " + SecondsText(run.totalTime) + " sec");
  WriteLine(run, "Aantal vars/posities: " + std::to_string(run.positionCount));
  run.result.close();
  if (input.bad() || run.result.fail()) out = true;
  Books.useBook = true;
}
