#include "driver/Reports.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "board/Move.h"
#include "board/MoveText.h"
#include "board/Text.h"
#include "book/Book.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/Console.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"

ReportState Reports;

void ResetReports() { Reports = ReportState{}; }

void BuildSettingsLine() {
  std::string line;
  if (Settings.testMode)
    line = " TEST " + std::to_string(std::lround(Settings.testTimeLimit / SecondInDays)) + " ";
  else
    line = Settings.ponderEnabled ? " P+ " : " P- ";
  line += Settings.fullEvalToggle ? "E1" : "E0";
  line += " L" + std::to_string(Clock.minTimeStopDepth) + " O11 C" + std::to_string(Clock.movesPerPeriod);
  Reports.settingsLine = line;
}

void TellToolFailure(const std::string &failure) {
  Reports.toolFailure = failure;
  if (!failure.empty()) std::fprintf(stderr, "%s: %s\n", EngineName, failure.c_str());
}

void OpenConsoleLog() {
  std::string path = Settings.filePrefix + ConsoleLogFileName;
  if (!OpenConsoleLogFile(path)) return;
  ConsoleLogLine((std::string(EngineName) + " " + VersionText).substr(0, 32) + Reports.settingsLine);
  ConsoleLogLine(Settings.kibitzEnabled ? "Kibitz aan" : "Kibitz uit");
}

// The score the reports show: the iteration's best, or the previous one while none is known.
static int32_t ShownScore() { return Tree.rootBest > -Infinite ? Tree.rootBest : Tree.previousBest; }

static std::string Format(const char *format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The protocol's letters for the engine's move text of a line: "E7-E8D" becomes "e7-e8Q".
static std::string ProtocolLineText(const std::string &engineText) {
  std::string text = engineText;
  for (size_t i = 0; i < text.size(); i++) {
    char c = text[i];
    // D is also a file: a queen only where a move's text ends.
    const PromotionName *name = FindPromotion(c, false);
    if (name != nullptr && (c != 'D' || (i + 1 < text.size() && text[i + 1] == ' ')))
      text[i] = name->english;
    else if (c >= 'A' && c <= 'Z')
      text[i] = char(c - 'A' + 'a');
  }
  return text;
}

void WritePostLine(int moves) {
  bool fromBook = BookRecord.status == BookMovesFound;
  std::string score = fromBook ? "0" : std::to_string(ShownScore());
  if (!fromBook && Tree.rootBest >= 0) score = "+" + score;
  double centiseconds = (ElapsedTime() + Tree.ponderHitTime) * 8640000.0;
  std::string head = std::to_string(Tree.horizon) + " " + score + " " +
                     Format("%2.0f", std::floor(centiseconds)) + " " + std::to_string(SearchNodeTotal());
  head = head.substr(0, 40);

  std::string text;
  if (Signals.pondering) {
    text = "[ " + Signals.ponderDisplayMove + " ] ";
    moves = std::min(moves, 14);
  }
  if (fromBook) moves = BookRecord.noBonus ? 1 : 2;
  for (int i = 1; i <= moves && i < LineLength && !Tree.bestLine.move[i].IsNull() && text.size() < 180; i++)
    text += MoveText(Tree.bestLine.move[i]) + " ";
  text = ProtocolLineText(text);
  if (fromBook) {
    text += BookRecord.noBonus ? " (book" : " (book check";
    for (const Move &candidate : BookRecord.slot) {
      if (candidate.IsNull() || text.size() >= 180) continue;
      std::string name = MoveText(candidate);
      for (char &c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
      text += " " + name;
    }
    text += ")";
  }
  WriteProtocolLine(head + " " + text);

  if (Settings.kibitzEnabled) {
    std::string shown = text;
    size_t bracket = shown.find(']');
    if (bracket != std::string::npos) shown = shown.substr(bracket + 1);
    std::string pawns = fromBook ? "" : Format("%.2f", ShownScore() / 100.0);
    Reports.kibitzText = "[" + std::to_string(Tree.horizon) + "] " + pawns + " " + shown;
  }
}

static std::string PawnsText(int32_t score) { return Format("%2.2f", std::abs(score) / 100.0); }

void BuildAnalysisLine(int moves, bool withScore) {
  std::string text;
  int32_t best = Tree.rootBest;
  if (BookRecord.status == BookMovesFound || !withScore)
    text = "  ";
  else if (best == 0)
    text = " e = " + PawnsText(best) + "  ";
  else if (best < 0)
    text = " e = - " + PawnsText(best) + "  ";
  else if (best > MateThreshold)
    text = " Mat in " + std::to_string((MateBase + 1 - best) / 2) + "  ";
  else
    text = " e = + " + PawnsText(best) + "  ";
  if (!Tree.easyMove.IsNull()) text += "* ";
  moves = std::min(moves, 16);
  if (Signals.pondering) {
    text += "[ " + Signals.ponderDisplayMove + " ] ";
    moves = std::min(moves, 14);
  }
  for (int i = 1; i <= moves && i < LineLength; i++) text += MoveText(Tree.bestLine.move[i]) + " ";
  Reports.messageLine = text.substr(0, MaxTextLength);
}

// The elapsed time as hours, minutes and seconds.
static std::string LongTimeText(double days) {
  if (days < 0) return " --  --  --";
  long seconds = long(days * 86400.0);
  char text[32];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

void AddSearchLogLine(int count) {
  if (Reports.searchLogCount >= SearchLogLimit) return;
  std::string line = count < 1 ? Format("%02.0f", Tree.horizon) : "  ";
  line += "  " + LongTimeText(ElapsedTime());
  std::string score;
  int32_t best = Tree.rootBest;
  if (best > MateThreshold)
    score = "Mat " + std::to_string((MateBase + 1 - best) / 2) + "  ";
  else
    score = (best > 0 ? "+ " : best < 0 ? "- " : "  ") + PawnsText(best);
  line += "  " + score + "  ";
  for (int i = 1; i < LineLength && line.size() < SearchLogWidth; i++)
    line += MoveText(Tree.bestLine.move[i]) + " ";
  Reports.searchLog[Reports.searchLogCount++] = line.substr(0, SearchLogWidth);
}

void WriteSearchLog() {
  std::string path = Settings.filePrefix + SearchLogFileName;
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return TellLogFailure(Reports.searchLogFailureTold, path);
  for (int i = 0; i < Reports.searchLogCount; i++) {
    std::string line = Reports.searchLog[i];
    while (!line.empty() && line.back() == ' ') line.pop_back();
    std::fprintf(file, "%s\r\n", line.c_str());
  }
  bool written = std::fflush(file) == 0 && !std::ferror(file);
  if (!written) TellLogFailure(Reports.searchLogFailureTold, path);
  std::fclose(file);
}

void WriteSpeedLine() {
  double seconds = (ElapsedTime() + Tree.ponderHitTime) * 86400.0;
  std::string speed = seconds > 0 ? std::to_string(std::llround(double(SearchNodeTotal()) / seconds)) : "-";
  ConsoleLogLine("k/s: " + speed);
}
