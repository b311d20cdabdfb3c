// Test support for conversations with the engine: the real binary behind pipes that stay open, for
// tests that answer what it writes (a move after its move, "?" while it thinks), and the in-process
// console pointed at a pipe that never delivers a byte, for driving the interpreter directly.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class EngineSession {
 public:
  // Starts the binary in the directory; its standard error goes to the test's.
  EngineSession(const std::string &binary, const std::string &directory);
  ~EngineSession();  // closes its input and kills it when it has not ended by then
  EngineSession(const EngineSession &) = delete;
  EngineSession &operator=(const EngineSession &) = delete;

  void Send(const std::string &lines);  // each line ending in "\n"
  // The next line the engine writes; false when none comes in time or its output has ended.
  bool ReadLine(std::string &line, double timeoutSeconds = 30);
  bool TryReadLine(std::string &line);  // a line that has already arrived, without waiting
  // Reads lines (appended to lines) up to and including the first that starts with prefix.
  bool ReadUntil(const std::string &prefix, std::vector<std::string> &lines, double timeoutSeconds = 30);
  // Reads lines (appended to lines) until the engine's output ends; false when it has not ended in
  // time. Its input stays open.
  bool ReadToEnd(std::vector<std::string> &lines, double timeoutSeconds = 30);
  // "xboard", "protover 2" and the ten feature lines; false when they do not come.
  bool Handshake();
  int Wait(double timeoutSeconds = 30);  // exit status after closing its input; -1: killed
  int OutputDescriptor() const { return out_; }

 private:
  bool TakeLine(std::string &line);
  bool Fill(int timeoutMilliseconds);  // false when no byte came

  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  bool ended_ = false;
  std::string buffer_;
};

// A thinking line "depth score time nodes [ pondered ] variation", taken apart; false when the
// line does not have that layout.
struct ThinkingLine {
  int depth = 0;
  int score = 0;
  std::string pondered;            // the move in brackets while pondering, as written (e7-e5)
  std::vector<std::string> moves;  // the variation as written (e2-e4, e7xd8Q)
};
bool ParseThinkingLine(const std::string &line, ThinkingLine &parsed);
std::string ProtocolMove(const std::string &written);  // "e7xd8Q" -> "e7d8Q", as on a move line

// A game between two engines: every move one writes goes to the other, after beforeEachMove.
struct RelayedGame {
  std::vector<std::string> moves;  // protocol move texts, White's first
  std::string result;              // the first result line, empty when the game did not end
  bool resultByWhite = false;
  std::string failure;             // what went wrong, empty when nothing did
};
// Both have had their set-up and White has been told to move; relays until a result line, an
// error or maxPlies moves.
RelayedGame RelayGame(EngineSession &white, EngineSession &black, const std::string &beforeEachMove, int maxPlies,
                      double timeoutSeconds);

// Waits until one of the sessions has output to read or the time is up.
void WaitForAnyOutput(const std::vector<const EngineSession *> &sessions, double timeoutSeconds);

// While it lives, the process's standard input is a pipe that stays open and empty (so the
// engine's poll never finds input) and its standard output goes to a file; Text() reads it.
class QuietConsole {
 public:
  QuietConsole();
  ~QuietConsole();
  QuietConsole(const QuietConsole &) = delete;
  QuietConsole &operator=(const QuietConsole &) = delete;
  std::string Text() const;

 private:
  int savedIn_ = -1;
  int savedOut_ = -1;
  int pipeWrite_ = -1;
  std::string path_;
};
