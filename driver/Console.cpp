#include "driver/Console.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "board/MoveText.h"
#include "board/Text.h"
#include "driver/Clock.h"
#include "driver/Platform.h"
#include "search/SearchControl.h"

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

// Two squares, upper case: A..H and 1..8 twice; what follows is not examined.
static bool StartsWithSquares(std::string_view text) {
  if (text.size() < 4) return false;
  auto isFile = [](char c) { return c >= 'A' && c <= 'H'; };
  auto isRank = [](char c) { return c >= '1' && c <= '8'; };
  return isFile(text[0]) && isRank(text[1]) && isFile(text[2]) && isRank(text[3]);
}

bool IsCoordinateMove(std::string &text) {
  if (!StartsWithSquares(text)) return false;
  text = "USERMOVE" + text.substr(0, 200);
  return true;
}

std::string ToEngineMoveText(std::string_view protocolMove) {
  std::string result(protocolMove.substr(0, 4));
  if (protocolMove.size() >= 5) {
    char letter = protocolMove[4];
    if (letter >= 'a' && letter <= 'z') letter = char(letter - 'a' + 'A');
    const PromotionName *name = FindPromotion(letter, true);
    if (name != nullptr) result += name->dutch;  // any other letter is dropped
  }
  return result;
}

std::string ToProtocolMoveText(std::string_view engineMove) {
  std::string result;
  for (size_t i = 0; i < engineMove.size() && i < 4; i++) {
    char c = engineMove[i];
    result += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
  }
  if (engineMove.size() >= 5) {
    char letter = engineMove[4];
    if (letter >= 'a' && letter <= 'z') letter = char(letter - 'a' + 'A');
    const PromotionName *name = FindPromotion(letter, false);
    if (name != nullptr) result += name->english;
  }
  return result;
}

bool AcceptUserMove(const std::string &line, std::string &moveText) {
  std::string_view text = line.size() > 8 ? std::string_view(line).substr(8) : "";
  if (StartsWithSquares(text)) {
    moveText = ToEngineMoveText(text.substr(0, 5));
    return true;
  }
  if (!text.empty()) WriteProtocolLine("Illegal move: " + std::string(text));
  return false;
}

bool PendingLineIsNewOrQuit() {
  std::string pending = SqueezeUpper(Console.inputLine);
  return pending == "NEW" || pending == "QUIT";
}

void PollInput() {
  std::string s = SqueezeUpper(Console.inputLine);
  bool keep = false;
  std::string move;
  if (s.compare(0, 8, "USERMOVE") == 0 || IsCoordinateMove(s)) {
    if (AcceptUserMove(s, move)) Signals.commandText = move;
  } else if (s.compare(0, 4, "TIME") == 0) {
    HandleTime(s.substr(4));
  } else if (s == "?") {
    Signals.stopSearch = true;
    Signals.commandPending = true;
  } else if (s == "NEW" || s == "QUIT" || s == "REMOVE" || s == "FORCE" || s == "GO" ||
             s.compare(0, 6, "RESULT") == 0) {
    Signals.stopSearch = true;
    Signals.commandPending = true;
    keep = true;  // the main loop acts on it once the search has stopped
  }
  if (!keep) Console.inputLine.clear();
}
