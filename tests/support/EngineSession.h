// Test support for conversations with the real binaries over pipes that stay open.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class EngineSession {
 public:
  // The command's words, the program first (valgrind and its options before the engine, say), run
  // in the directory; standard error goes to the test's own unless a file is named for it.
  EngineSession(const std::vector<std::string> &command, const std::string &directory,
                const std::string &errorFile = "");
  EngineSession(const std::string &binary, const std::string &directory)
      : EngineSession(std::vector<std::string>{binary}, directory) {}
  ~EngineSession() { Wait(5); }
  EngineSession(const EngineSession &) = delete;
  EngineSession &operator=(const EngineSession &) = delete;

  // Writes the lines, reading the output meanwhile so that neither side waits on a full pipe.
  void Send(const std::string &lines);
  void CloseInput();
  // The next line; false when none comes in time (0: only one already there) or the output ended.
  bool ReadLine(std::string &line, double timeoutSeconds = 30);
  // Appends lines up to and including the first that starts with prefix; with an empty prefix,
  // until the output ends (false when it has not ended in time).
  bool ReadUntil(const std::string &prefix, std::vector<std::string> &lines, double timeoutSeconds = 30);
  bool ReadToEnd(std::string &text, double timeoutSeconds);  // false when it has not ended in time
  bool Handshake();                      // "xboard", "protover 2" and the ten feature lines
  int Wait(double timeoutSeconds = 30);  // exit status after closing its input; -1: killed
  pid_t Pid() const { return pid_; }

 private:
  bool Fill(int milliseconds);  // reads what arrives within the time; false once the output ended
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  bool ended_ = false;
  std::string buffer_;
};

struct ProcessResult {
  int exitStatus = -1;  // -1: killed or did not end in time
  bool timedOut = false;
  std::string out;
  std::string err;
};

// Runs a program in a directory with the given standard input, which is closed after it.
ProcessResult RunProgram(const std::vector<std::string> &command, const std::string &directory,
                         const std::string &input, double timeoutSeconds);

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
// White has been told to move; every move goes to the other engine between beforeEachMove and
// afterEachMove, until a result line, an unexpected line or maxPlies moves.
RelayedGame RelayGame(EngineSession &white, EngineSession &black, const std::string &beforeEachMove,
                      int maxPlies, double timeoutSeconds, const std::string &afterEachMove = "");
