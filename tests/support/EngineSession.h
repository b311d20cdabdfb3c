// Test support for conversations with the engine: the real binary behind pipes that stay open, and
// the in-process console pointed at a pipe that never delivers a byte.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class EngineSession {
 public:
  EngineSession(const std::string &binary, const std::string &directory);  // stderr goes to the test's
  // The engine under another program, such as valgrind: the command's words, the engine last.
  EngineSession(const std::vector<std::string> &command, const std::string &directory);
  ~EngineSession() { Wait(5); }
  EngineSession(const EngineSession &) = delete;
  EngineSession &operator=(const EngineSession &) = delete;

  void Send(const std::string &lines);
  // The next line; false when none comes in time (0: only one already there) or the output ended.
  bool ReadLine(std::string &line, double timeoutSeconds = 30);
  // Appends lines up to and including the first that starts with prefix; with an empty prefix,
  // until the output ends (false when it has not ended in time).
  bool ReadUntil(const std::string &prefix, std::vector<std::string> &lines, double timeoutSeconds = 30);
  bool Handshake();                      // "xboard", "protover 2" and the ten feature lines
  int Wait(double timeoutSeconds = 30);  // exit status after closing its input; -1: killed

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  bool ended_ = false;
  std::string buffer_;
};

// A thinking line "depth score time nodes [ pondered ] variation"; false for any other layout.
struct ThinkingLine {
  int depth = 0, score = 0;
  std::string pondered;            // as written (e7-e5)
  std::vector<std::string> moves;  // as written (e2-e4, e7xd8Q)
};
bool ParseThinkingLine(const std::string &line, ThinkingLine &parsed);
inline bool IsThinkingLine(const std::string &line) {
  ThinkingLine parsed;
  return ParseThinkingLine(line, parsed);
}
std::string ProtocolMove(const std::string &written);  // "e7xd8Q" -> "e7d8Q"

struct RelayedGame {
  std::vector<std::string> moves;  // White's first
  std::string result;              // the first result line
  bool resultByWhite = false;
  std::string failure;  // empty when nothing went wrong
};
// White has been told to move; every move goes to the other engine after beforeEachMove, until a
// result line, an unexpected line or maxPlies moves.
RelayedGame RelayGame(EngineSession &white, EngineSession &black, const std::string &beforeEachMove,
                      int maxPlies, double timeoutSeconds);

// While it lives, standard input is an open, empty pipe and standard output goes to a file.
class QuietConsole {
 public:
  QuietConsole();
  ~QuietConsole();
  QuietConsole(const QuietConsole &) = delete;
  QuietConsole &operator=(const QuietConsole &) = delete;
  std::string Text() const;

 private:
  int savedIn_ = -1, savedOut_ = -1, pipeWrite_ = -1;
  std::string path_;
};
