// Texts the engine reports besides the fixed protocol lines: the settings line and the console
// log, which mirrors every protocol line in and out. Log files are written in CRLF lines; a
// failure to write one is ignored line by line.
#pragma once

#include <cstdio>
#include <string>

constexpr const char *EngineName = "KrelinChess";
constexpr const char *VersionText = "070525";
constexpr const char *ConsoleLogFileName = "conlogbestand.txt";

struct ReportState {
  std::string settingsLine;  // " P+ E0 L12 O11 C0" and the like
  std::FILE *consoleLog;     // open while the console log is on and could be created
};
extern ReportState Reports;

void ResetReports();
void BuildSettingsLine();
void OpenConsoleLog();                         // prefix + conlogbestand.txt and its two first lines
void ConsoleLogLine(const std::string &text);  // one line, only while the log is open
void CloseConsoleLog();
