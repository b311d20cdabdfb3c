#include "support/Scratch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
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
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line); lines.push_back(line))
    if (!line.empty() && line.back() == '\r') line.pop_back();
  return lines;
}
