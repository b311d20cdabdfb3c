#include "support/Scratch.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "driver/Protocol.h"

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory() {
  std::string pattern = (fs::temp_directory_path() / "krelin-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  previous_ = fs::current_path().string();
  fs::current_path(path_);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code error;
  fs::current_path(previous_, error);
  fs::remove_all(path_, error);
}

void ScratchDirectory::Write(const std::string &name, const std::string &text) const {
  std::ofstream file(path_ + "/" + name, std::ios::binary);
  file << text;
}

std::string ScratchDirectory::Read(const std::string &name) const { return ReadFile(path_ + "/" + name); }

std::string ReadFile(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

bool ScratchDirectory::Exists(const std::string &name) const { return fs::exists(path_ + "/" + name); }

ProcessResult RunProgram(const std::vector<std::string> &argv, const std::string &directory,
                         const std::string &input, double timeoutSeconds) {
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    if (chdir(directory.c_str()) != 0) _exit(127);
    std::vector<char *> args;
    for (const std::string &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);
  ProcessResult result;
  size_t written = 0;
  if (input.empty()) {
    close(in[1]);
    in[1] = -1;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    struct pollfd fds[3] = {
        {outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}, {in[1], POLLOUT, 0}};
    if (poll(fds, 3, int(std::min<long>(left.count(), 100))) < 0) continue;
    char buffer[4096];
    for (int k = 0; k < 2; k++) {
      if (fds[k].revents == 0) continue;
      ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        (k == 0 ? result.out : result.err).append(buffer, size_t(n));
      } else {
        (k == 0 ? outOpen : errOpen) = false;
      }
    }
    if (in[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t n = write(in[1], input.data() + written, input.size() - written);
      if (n > 0) written += size_t(n);
      if (n < 0 || written == input.size()) {
        close(in[1]);
        in[1] = -1;
      }
    }
  }
  if (in[1] >= 0) close(in[1]);
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!result.timedOut && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}

std::string RunProtocolInProcess(const std::string &input) {
  std::ofstream("protocol-input.txt", std::ios::binary) << input;
  fflush(stdout);
  int savedIn = dup(0), savedOut = dup(1);
  int inFd = open("protocol-input.txt", O_RDONLY);
  int outFd = open("protocol-output.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(inFd, 0);
  dup2(outFd, 1);
  RunProtocolLoop();
  fflush(stdout);
  dup2(savedIn, 0);
  dup2(savedOut, 1);
  for (int fd : {inFd, outFd, savedIn, savedOut}) close(fd);
  return ReadFile("protocol-output.txt");
}

std::vector<std::string> SplitLines(const std::string &text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}
