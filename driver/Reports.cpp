#include "driver/Reports.h"

#include <cmath>
#include <cstdio>

#include "driver/Clock.h"
#include "driver/Config.h"

ReportState Reports;

void ResetReports() {
  CloseConsoleLog();
  Reports = ReportState{};
}

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

void OpenConsoleLog() {
  CloseConsoleLog();
  std::string path = Settings.filePrefix + ConsoleLogFileName;
  Reports.consoleLog = std::fopen(path.c_str(), "wb");
  if (Reports.consoleLog == nullptr) return;
  ConsoleLogLine((std::string(EngineName) + " " + VersionText).substr(0, 32) + Reports.settingsLine);
  ConsoleLogLine(Settings.kibitzEnabled ? "Kibitz aan" : "Kibitz uit");
}

void ConsoleLogLine(const std::string &text) {
  if (Reports.consoleLog == nullptr) return;
  std::fputs(text.c_str(), Reports.consoleLog);
  std::fputs("\r\n", Reports.consoleLog);
  std::fflush(Reports.consoleLog);
}

void CloseConsoleLog() {
  if (Reports.consoleLog != nullptr) std::fclose(Reports.consoleLog);
  Reports.consoleLog = nullptr;
}
