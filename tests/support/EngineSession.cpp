#include "support/EngineSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace {

using SteadyClock = std::chrono::steady_clock;

int MillisecondsLeft(SteadyClock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? int(left) : 0;
}

SteadyClock::time_point Deadline(double seconds) {
  return SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace

EngineSession::EngineSession(const std::string &binary, const std::string &directory) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  signal(SIGPIPE, SIG_IGN);  // a write to an engine that has ended must fail, not kill the test
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    if (chdir(directory.c_str()) != 0) _exit(127);
    execl(binary.c_str(), binary.c_str(), static_cast<char *>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  in_ = in[1];
  out_ = out[0];
}

EngineSession::~EngineSession() {
  if (pid_ > 0) Wait(5);
  if (out_ >= 0) close(out_);
}

void EngineSession::Send(const std::string &lines) {
  size_t written = 0;
  while (in_ >= 0 && written < lines.size()) {
    ssize_t n = write(in_, lines.data() + written, lines.size() - written);
    if (n <= 0) return;
    written += size_t(n);
  }
}

bool EngineSession::TakeLine(std::string &line) {
  size_t end = buffer_.find('\n');
  if (end == std::string::npos) return false;
  line = buffer_.substr(0, end);
  buffer_.erase(0, end + 1);
  return true;
}

bool EngineSession::Fill(int timeoutMilliseconds) {
  if (ended_) return false;
  struct pollfd output = {out_, POLLIN, 0};
  if (poll(&output, 1, timeoutMilliseconds) <= 0) return false;
  char bytes[4096];
  ssize_t n = read(out_, bytes, sizeof bytes);
  if (n <= 0) {
    ended_ = true;
    return false;
  }
  buffer_.append(bytes, size_t(n));
  return true;
}

bool EngineSession::ReadLine(std::string &line, double timeoutSeconds) {
  auto deadline = Deadline(timeoutSeconds);
  while (!TakeLine(line)) {
    int left = MillisecondsLeft(deadline);
    if (ended_ || left == 0) return false;
    Fill(left);
  }
  return true;
}

bool EngineSession::TryReadLine(std::string &line) {
  while (Fill(0)) {
  }
  return TakeLine(line);
}

bool EngineSession::ReadUntil(const std::string &prefix, std::vector<std::string> &lines, double timeoutSeconds) {
  auto deadline = Deadline(timeoutSeconds);
  std::string line;
  while (ReadLine(line, MillisecondsLeft(deadline) / 1000.0)) {
    lines.push_back(line);
    if (line.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

bool EngineSession::ReadToEnd(std::vector<std::string> &lines, double timeoutSeconds) {
  auto deadline = Deadline(timeoutSeconds);
  std::string line;
  while (ReadLine(line, MillisecondsLeft(deadline) / 1000.0)) lines.push_back(line);
  return ended_ && buffer_.empty();
}

bool EngineSession::Handshake() {
  Send("xboard\nprotover 2\n");
  std::vector<std::string> features;
  return ReadUntil("feature done=1", features) && features.size() == 10;
}

int EngineSession::Wait(double timeoutSeconds) {
  if (pid_ <= 0) return -1;
  if (in_ >= 0) {
    close(in_);
    in_ = -1;
  }
  auto deadline = Deadline(timeoutSeconds);
  int status = 0;
  pid_t done = 0;
  while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && MillisecondsLeft(deadline) > 0) usleep(10000);
  if (done == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void WaitForAnyOutput(const std::vector<const EngineSession *> &sessions, double timeoutSeconds) {
  std::vector<struct pollfd> outputs;
  for (const EngineSession *session : sessions) outputs.push_back({session->OutputDescriptor(), POLLIN, 0});
  poll(outputs.data(), outputs.size(), int(timeoutSeconds * 1000));
}

QuietConsole::QuietConsole() {
  std::string pattern = (std::filesystem::temp_directory_path() / "krelin-console-XXXXXX").string();
  int outFd = mkstemp(pattern.data());
  int silence[2];
  if (outFd < 0 || pipe(silence) != 0) throw std::runtime_error("console redirection failed");
  path_ = pattern;
  std::fflush(stdout);
  savedIn_ = dup(0);
  savedOut_ = dup(1);
  dup2(silence[0], 0);
  dup2(outFd, 1);
  close(silence[0]);
  close(outFd);
  pipeWrite_ = silence[1];
}

QuietConsole::~QuietConsole() {
  std::fflush(stdout);
  dup2(savedIn_, 0);
  dup2(savedOut_, 1);
  close(savedIn_);
  close(savedOut_);
  close(pipeWrite_);
  std::remove(path_.c_str());
}

std::string QuietConsole::Text() const {
  std::fflush(stdout);
  std::ifstream file(path_, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

bool ParseThinkingLine(const std::string &line, ThinkingLine &parsed) {
  static const std::regex layout(R"((\d+) ([+-]?\d+) +\d+ \d+ (\[ (\S+) \] )?((\S+ )*))");
  static const std::regex move(R"([a-h][1-8][-x][a-h][1-8][QRBN]?)");
  std::smatch match;
  if (!std::regex_match(line, match, layout)) return false;
  parsed = ThinkingLine{};
  parsed.depth = std::stoi(match[1]);
  parsed.score = std::stoi(match[2]);
  parsed.pondered = match[4];
  std::istringstream variation(match[5]);
  for (std::string text; variation >> text;) {
    if (!std::regex_match(text, move)) return false;
    parsed.moves.push_back(text);
  }
  return parsed.pondered.empty() || std::regex_match(parsed.pondered, move);
}

std::string ProtocolMove(const std::string &written) {
  std::string text;
  for (char c : written)
    if (c != '-' && c != 'x') text += c;
  return text;
}

static bool IsResultLine(const std::string &line) {
  return line.rfind("1-0 ", 0) == 0 || line.rfind("0-1 ", 0) == 0 || line.rfind("1/2-1/2 ", 0) == 0;
}

RelayedGame RelayGame(EngineSession &white, EngineSession &black, const std::string &beforeEachMove, int maxPlies,
                      double timeoutSeconds) {
  static const std::regex moveLine(R"(move [a-h][1-8][a-h][1-8][QRBN]?)");
  RelayedGame game;
  EngineSession *sides[2] = {&white, &black};
  auto deadline = Deadline(timeoutSeconds);
  int toMove = 0;
  while (game.failure.empty() && game.result.empty() && int(game.moves.size()) < maxPlies) {
    if (MillisecondsLeft(deadline) == 0) {
      game.failure = "no move or result in time after " + std::to_string(game.moves.size()) + " plies";
      break;
    }
    WaitForAnyOutput({&white, &black}, 0.05);
    std::string line;
    for (int side = 0; side < 2 && game.failure.empty() && game.result.empty(); side++) {
      while (game.failure.empty() && game.result.empty() && sides[side]->TryReadLine(line)) {
        ThinkingLine thinking;
        std::string who = side == 0 ? "White: " : "Black: ";
        if (ParseThinkingLine(line, thinking) || line.rfind("tellall ", 0) == 0) continue;
        if (IsResultLine(line)) {
          game.result = line;
          game.resultByWhite = side == 0;
        } else if (!std::regex_match(line, moveLine)) {
          game.failure = who + line;
        } else if (side != toMove) {
          game.failure = who + "moved out of turn: " + line;
        } else {
          game.moves.push_back(line.substr(5));
          sides[1 - side]->Send(beforeEachMove + "usermove " + line.substr(5) + "\n");
          toMove = 1 - side;
        }
      }
    }
  }
  return game;
}
