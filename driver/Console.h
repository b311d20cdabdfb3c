// Standard input and output of the protocols: the line reader (blocking, or only when input is
// already waiting) and the line writer, with the console log that mirrors both.
//
// A non-empty inputLine is a line that is pending: readers return it again without reading. When
// standard input ends (or fails) the reader hands out "quit" from then on, so every waiting loop
// ends as it would on that command.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

constexpr const char *EngineName = "KrelinChess";
constexpr const char *VersionText = "070525";

constexpr size_t MaxInputLength = 250;
// A UCI position names every move of the game in one line: room for a FEN and 2000 moves.
constexpr size_t MaxUciInputLength = 16384;
constexpr size_t MaxOutputLength = 249;

struct ConsoleState {
  std::string inputLine;               // the current line, at most 250 characters; empty: nothing pending
  bool outputMuted;                    // while set nothing reaches standard output or the console log
  bool endOfInput;                     // standard input has ended; the reader answers "quit" from now on
  bool madeUpQuit;                     // inputLine is that "quit", not a line read
  std::FILE *log = nullptr;            // the console log, open while it is on and could be created
  std::string logPath;                 // the console log's file
  bool logFailureTold = false;         // the console log could not be created or written, and stderr knows
  size_t inputLimit = MaxInputLength;  // characters kept of a line (MaxInputLength; more under UCI)
};
extern ConsoleState Console;

void ResetConsole();  // the log closed, nothing pending
// The console log mirrors every line in ("in:  ") and out ("uit: "), in CRLF lines. A log that
// cannot be created or written (a full disk) is said once on standard error; the log is given up at
// its first failed write, so that the disk is not tried line by line.
bool OpenConsoleLogFile(const std::string &path);  // created or emptied; false (and told) when it cannot be
void ConsoleLogLine(const std::string &text);      // one line, only while the log is open
void CloseConsoleLog();
// "cannot write PATH (reason); playing on without this log" on standard error, once per told flag.
void TellLogFailure(bool &told, const std::string &path);
bool ReadInputLine(bool poll);                  // fills inputLine; true when it is not empty
void WriteProtocolLine(std::string_view text);  // one line to the interface, mirrored in the log
