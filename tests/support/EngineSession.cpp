#include "support/EngineSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "support/Scratch.h"

static double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
static int MillisecondsLeft(double deadline) { return std::max(0, int((deadline - Now()) * 1000)); }

EngineSession::EngineSession(const std::vector<std::string> &command, const std::string &directory,
                             const std::string &errorFile) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  signal(SIGPIPE, SIG_IGN);  // a write to an engine that has ended must fail, not kill the test
  std::vector<char *> argv;
  for (const std::string &word : command) argv.push_back(const_cast<char *>(word.c_str()));
  argv.push_back(nullptr);
  if ((pid_ = fork()) == 0) {
    int err = errorFile.empty() ? 2 : open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (dup2(in[0], 0) == 0 && dup2(out[1], 1) == 1 && dup2(err, 2) == 2 && chdir(directory.c_str()) == 0)
      execvp(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  in_ = in[1], out_ = out[0];
  fcntl(in_, F_SETFL, O_NONBLOCK);
}

bool EngineSession::Fill(int milliseconds) {
  struct pollfd output = {out_, POLLIN, 0};
  char bytes[4096];
  ssize_t n = 0;
  if (!ended_ && poll(&output, 1, milliseconds) > 0 && (n = read(out_, bytes, sizeof bytes)) <= 0)
    ended_ = true;
  if (n > 0) buffer_.append(bytes, size_t(n));
  return !ended_;
}

void EngineSession::Send(const std::string &lines) {
  for (size_t written = 0; in_ >= 0 && written < lines.size(); Fill(0)) {
    struct pollfd input = {in_, POLLOUT, 0};
    if (poll(&input, 1, 10) <= 0) continue;
    ssize_t n = write(in_, lines.data() + written, lines.size() - written);
    if (n < 0 && errno != EAGAIN) return;
    if (n > 0) written += size_t(n);
  }
}

void EngineSession::CloseInput() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

bool EngineSession::ReadLine(std::string &line, double timeoutSeconds) {
  double deadline = Now() + timeoutSeconds;
  for (;;) {
    size_t end = buffer_.find('\n');
    if (end != std::string::npos) {
      line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      return true;
    }
    int left = MillisecondsLeft(deadline);
    if (!Fill(left) || left == 0) return false;
  }
}

bool EngineSession::ReadUntil(const std::string &prefix, std::vector<std::string> &lines,
                              double timeoutSeconds) {
  double deadline = Now() + timeoutSeconds;
  std::string line;
  while (ReadLine(line, MillisecondsLeft(deadline) / 1000.0)) {
    lines.push_back(line);
    if (!prefix.empty() && line.rfind(prefix, 0) == 0) return true;
  }
  return prefix.empty() && ended_ && buffer_.empty();
}

bool EngineSession::ReadToEnd(std::string &text, double timeoutSeconds) {
  double deadline = Now() + timeoutSeconds;
  while (Fill(MillisecondsLeft(deadline)) && MillisecondsLeft(deadline) > 0) continue;
  text += buffer_;
  buffer_.clear();
  return ended_;
}

bool EngineSession::Handshake() {
  Send("xboard\nprotover 2\n");
  std::vector<std::string> features;
  return ReadUntil("feature done=1", features) && features.size() == 10;
}

int EngineSession::Wait(double timeoutSeconds) {
  CloseInput();
  if (pid_ <= 0) return -1;
  double deadline = Now() + timeoutSeconds;
  int status = 0, done = 0;
  while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && MillisecondsLeft(deadline) > 0) usleep(10000);
  if (done == 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, &status, 0);
  pid_ = -1;
  close(out_);
  return done != 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ProcessResult RunProgram(const std::vector<std::string> &command, const std::string &directory,
                         const std::string &input, double timeoutSeconds) {
  std::string errorFile = (std::filesystem::temp_directory_path() / "krelin-stderr-XXXXXX").string();
  close(mkstemp(errorFile.data()));
  ProcessResult result;
  {
    EngineSession program(command, directory, errorFile);
    double deadline = Now() + timeoutSeconds;
    program.Send(input);
    program.CloseInput();
    result.timedOut = !program.ReadToEnd(result.out, timeoutSeconds);
    result.exitStatus = program.Wait(result.timedOut ? 0 : MillisecondsLeft(deadline) / 1000.0 + 5);
  }
  result.err = ReadFile(errorFile);
  std::remove(errorFile.c_str());
  return result;
}

bool ParseThinkingLine(const std::string &line, ThinkingLine &parsed) {
  static const std::regex layout(R"((\d+) ([+-]?\d+) +\d+ \d+ (\[ (\S+) \] )?((\S+ )*))");
  static const std::regex move(R"([a-h][1-8][-x][a-h][1-8][QRBN]?)");
  std::smatch match;
  if (!std::regex_match(line, match, layout)) return false;
  parsed = ThinkingLine{std::stoi(match[1]), std::stoi(match[2]), match[4], {}};
  std::istringstream variation(match[5]);
  for (std::string text; variation >> text; parsed.moves.push_back(text))
    if (!std::regex_match(text, move)) return false;
  return parsed.pondered.empty() || std::regex_match(parsed.pondered, move);
}

std::string ProtocolMove(const std::string &written) {
  std::string text;
  for (char c : written)
    if (c != '-' && c != 'x') text += c;
  return text;
}

RelayedGame RelayGame(EngineSession &white, EngineSession &black, const std::string &beforeEachMove,
                      int maxPlies, double timeoutSeconds, const std::string &afterEachMove) {
  static const std::regex moveLine(R"(move [a-h][1-8][a-h][1-8][QRBN]?)"),
      resultLine(R"((1-0|0-1|1/2-1/2) .*)");
  RelayedGame game;
  EngineSession *sides[2] = {&white, &black};
  double deadline = Now() + timeoutSeconds;
  int toMove = 0;
  while (game.failure.empty() && game.result.empty() && int(game.moves.size()) < maxPlies) {
    if (MillisecondsLeft(deadline) == 0)
      game.failure = "no move in time after " + std::to_string(game.moves.size());
    // Wait a little on the side to move; the other may still write a result after its move.
    for (int side : {toMove, 1 - toMove}) {
      std::string line, who = side == 0 ? "White: " : "Black: ";
      while (game.failure.empty() && game.result.empty() &&
             sides[side]->ReadLine(line, side == toMove ? 0.05 : 0)) {
        if (IsThinkingLine(line) || line.rfind("tellall ", 0) == 0) continue;
        if (std::regex_match(line, resultLine)) {
          game.result = line;
          game.resultByWhite = side == 0;
        } else if (!std::regex_match(line, moveLine) || side != toMove) {
          game.failure = who + line;
        } else {
          game.moves.push_back(line.substr(5));
          sides[1 - side]->Send(beforeEachMove + "usermove " + line.substr(5) + "\n" + afterEachMove);
          toMove = 1 - side;
          break;
        }
      }
    }
  }
  return game;
}
