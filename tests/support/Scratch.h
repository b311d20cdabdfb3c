// Test support: a scratch directory that a test works in, and the real binaries run over pipes.
#pragma once

#include <string>
#include <vector>

#include "support/EngineSession.h"

// A fresh directory under the system's temporary directory; the test moves into it and back out,
// and it is removed with everything in it at the end.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory &) = delete;
  ScratchDirectory &operator=(const ScratchDirectory &) = delete;

  const std::string &Path() const { return path_; }
  void Write(const std::string &name, const std::string &text) const;
  std::string Read(const std::string &name) const;  // empty when missing
  bool Exists(const std::string &name) const;

 private:
  std::string path_;
  std::string previous_;
};

// Runs the engine's protocol loop in this process, in the current directory (which must hold the
// configuration), on the given input; returns what it wrote to standard output. The engine state
// stays as the loop left it, for the test to inspect.
std::string RunProtocolInProcess(const std::string &input);

// A book record as the book files hold it: the length byte (that of the squares unless given), the
// squares, zeros to 61 bytes.
inline std::string RecordBytes(const std::vector<int> &squares, int length = -1) {
  std::string bytes(61, '\0');
  bytes[0] = char(length < 0 ? int(squares.size()) : length);
  for (size_t i = 0; i < squares.size() && i < 60; i++) bytes[i + 1] = char(squares[i]);
  return bytes;
}

std::string ReadFile(const std::string &path);                 // empty when missing
std::vector<std::string> SplitLines(const std::string &text);  // "\n" or "\r\n" separated
