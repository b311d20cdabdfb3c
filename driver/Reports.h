// Texts the engine reports besides the fixed protocol lines: the settings line and the head of the
// console log (the console writes the lines that follow). Log files are written in CRLF lines. A
// log that cannot be created (a read-only folder) or written (a full disk) is said once on standard
// error, and the engine plays on without it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

constexpr const char *ConsoleLogFileName = "conlogbestand.txt";
constexpr const char *SearchLogFileName = "logbestand.txt";
constexpr int SearchLogLimit = 200;     // lines kept per game
constexpr size_t SearchLogWidth = 200;  // characters per line

struct ReportState {
  std::string settingsLine;  // " P+ E0 L12 O11 C0" and the like
  std::string kibitzText;    // the last kibitz line, sent as "tellall" after the move
  std::string messageLine;   // the last analysis line
  std::string searchLog[SearchLogLimit];
  int32_t searchLogCount;
  bool searchLogFailureTold;  // the same for the search log
  std::string toolFailure;    // what failed the last file tool (test suite, PGN tools); empty if none
};
extern ReportState Reports;

void ResetReports();
void BuildSettingsLine();
// Thinking output: "depth score time nodes line", with the pondered move in front and the book's
// candidates behind; also builds the kibitz text.
void WritePostLine(int moves);
void BuildAnalysisLine(int moves, bool withScore);  // into messageLine
void AddSearchLogLine(int count);                   // one line of the search log buffer
void WriteSearchLog();                              // the buffer to logbestand.txt
void WriteSpeedLine();                              // "k/s: " to the console log
void OpenConsoleLog();                              // prefix + conlogbestand.txt and its two first lines
// A file tool's failure: kept in toolFailure and said on standard error ("KrelinChess: cannot
// write ..."); an empty text clears toolFailure.
void TellToolFailure(const std::string &failure);
