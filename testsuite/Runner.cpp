#include "testsuite/Runner.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "board/Text.h"
#include "book/Book.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

namespace {
enum class LineKind { Comment, FenPosition, PositionFile, MoveSequence };

struct SuiteRun {
  const SuiteHost &host;
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
  size_t folder = name.find_last_of('/') + 1;  // 0 without a folder
  std::string base = name.substr(folder);
  return name.substr(0, folder) + ResultFilePrefix + base.substr(0, base.find('.')) + ".txt";
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

static void WriteSearchStatistics(SuiteRun &run, const SuiteSearch &search) {
  WriteLine(run, "kn=" + std::to_string(search.nodes));
  WriteLine(run, TTStatistics());
}

static void RunPositionLine(SuiteRun &run, LineKind kind, const std::string &raw,
                            const std::string &squeezed) {
  run.positionCount++;
  bool fen = kind == LineKind::FenPosition;
  if (!run.host.setUpPosition(fen ? raw : squeezed + ".txt", fen)) {
    // A refused position is said as a move line that does not replay is, so that every counted
    // line shows in the file.
    WriteLine(run, raw);
    WriteLine(run, "\\> positie fout");
    return;
  }
  SuiteSearch search = run.host.searchAndPlay(false);
  run.totalTime += search.days;
  WriteLine(run, raw);
  // The set-up started a new game, so the search log holds this search alone.
  for (std::string line : search.searchLog) {
    line.erase(line.find_last_not_of(' ') + 1);
    WriteLine(run, line);
  }
  WriteSearchStatistics(run, search);
}

static void RunMoveLine(SuiteRun &run, const std::string &squeezed) {
  run.positionCount++;
  std::string report = "\\>";
  if (run.host.setUpMoves(squeezed)) {
    SuiteSearch search = run.host.searchAndPlay(true);
    run.totalTime += search.days;
    report += " k = " + std::to_string(search.nodes) + " " + SecondsText(search.days) + " sec " +
              search.analysisLine;
    WriteLine(run, squeezed);
    WriteLine(run, report);
    WriteSearchStatistics(run, search);
  } else {
    WriteLine(run, squeezed);
    WriteLine(run, report + " variant fout ");
  }
}

// Ends the run on an input or output error: the book comes back on, and the caller hears what
// failed.
static void EndOnFailure(bool &out, std::string &failure, const std::string &text) {
  out = true;
  failure = text;
  Books.useBook = true;
}

void RunTestSuite(const SuiteHost &host, const std::string &fileName, bool &out, std::string &failure) {
  out = true;
  failure.clear();
  Signals.stopSearch = false;
  std::string name = SqueezeUpper(fileName);
  if (name.empty()) return EndOnFailure(out, failure, "no test file named");
  std::string inputPath = host.filePrefix + name;
  std::string inputFile = host.resolveFileName(inputPath);
  std::string resultFile = host.resolveFileName(host.filePrefix + ResultFileName(name));
  Books.useBook = false;
  out = false;
  SuiteRun run{host, std::ofstream(), 0, 0.0};
  errno = 0;
  std::ifstream input(inputFile, std::ios::binary);
  // A folder opens as a file but reads nothing: it is no test file.
  std::error_code ignored;
  if (input && std::filesystem::is_directory(inputFile, ignored)) {
    input.close();
    errno = EISDIR;
  }
  if (!input.is_open()) return EndOnFailure(out, failure, FileFailureText(false, inputFile));
  run.result.open(resultFile, std::ios::binary);
  if (!run.result) return EndOnFailure(out, failure, FileFailureText(true, resultFile));

  WriteLine(run, inputPath);
  WriteLine(run, "maxh = " + std::to_string(host.maxHorizon));
  WriteLine(run, "");
  std::string raw, squeezed;
  // Each position's lines reach the file before the next search: a full disk ends the run there
  // instead of searching on for results that are lost.
  while (run.result.flush() && ReadTextLine(input, raw)) {
    LineKind kind = ClassifyLine(raw, squeezed);
    if (kind == LineKind::MoveSequence)
      RunMoveLine(run, squeezed);
    else if (kind != LineKind::Comment)
      RunPositionLine(run, kind, raw, squeezed);
  }
  if (!run.result) return EndOnFailure(out, failure, FileFailureText(true, resultFile));
  if (input.bad()) return EndOnFailure(out, failure, FileFailureText(false, inputFile));
  WriteLine(run, "");
  WriteLine(run, "Gebruikte tijd: " + SecondsText(run.totalTime) + " sec");
  WriteLine(run, "Aantal vars/posities: " + std::to_string(run.positionCount));
  errno = 0;
  run.result.close();
  if (run.result.fail()) return EndOnFailure(out, failure, FileFailureText(true, resultFile));
  Books.useBook = true;
}
