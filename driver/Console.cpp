#include "driver/Console.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "driver/Platform.h"

ConsoleState Console;

void ResetConsole() {
  CloseConsoleLog();
  Console = ConsoleState{};
}

// A log that cannot be created, or that a write fails later (a full disk), costs the engine
// nothing but the log: the user hears it once.
void TellLogFailure(bool &told, const std::string &path) {
  std::string reason = std::strerror(errno);
  if (told) return;
  told = true;
  std::error_code error;
  std::string shown = std::filesystem::absolute(path, error).string();
  std::fprintf(stderr, "%s: cannot write %s (%s); playing on without this log\n", EngineName,
               (error ? path : shown).c_str(), reason.c_str());
}

bool OpenConsoleLogFile(const std::string &path) {
  CloseConsoleLog();
  Console.logPath = path;
  Console.log = std::fopen(path.c_str(), "wb");
  if (Console.log == nullptr) TellLogFailure(Console.logFailureTold, path);
  return Console.log != nullptr;
}

void ConsoleLogLine(const std::string &text) {
  if (Console.log == nullptr) return;
  std::fputs(text.c_str(), Console.log);
  std::fputs("\r\n", Console.log);
  if (std::fflush(Console.log) == 0 && !std::ferror(Console.log)) return;
  TellLogFailure(Console.logFailureTold, Console.logPath);
  CloseConsoleLog();
}

void CloseConsoleLog() {
  if (Console.log != nullptr) std::fclose(Console.log);
  Console.log = nullptr;
}

bool ReadInputLine(bool poll) {
  if (!Console.inputLine.empty()) return true;
  if (Console.endOfInput) {
    Console.inputLine = "quit";
    Console.madeUpQuit = true;
    return true;
  }
  Console.madeUpQuit = false;
  if (poll && !InputBytesWaiting()) return false;

  bool lineRead = false;
  char byte;
  while (!lineRead) {
    if (ReadInputByte(byte) != ReadResult::Byte) {
      Console.endOfInput = true;
      break;
    }
    if (byte == '\n')
      lineRead = true;
    else if (Console.inputLine.size() < Console.inputLimit)
      Console.inputLine.push_back(byte);  // the rest of an over-long line is dropped
  }
  if (lineRead || !Console.inputLine.empty()) {
    ConsoleLogLine("in:  " + Console.inputLine);
  } else {
    Console.inputLine = "quit";  // the interface has gone: behave as on its last command
    Console.madeUpQuit = true;
  }
  return !Console.inputLine.empty();
}

void WriteProtocolLine(std::string_view text) {
  if (Console.outputMuted) return;
  std::string line(text.substr(0, MaxOutputLength));
  if (!line.empty()) WriteOutputLine(line);
  ConsoleLogLine("uit: " + line);
}
