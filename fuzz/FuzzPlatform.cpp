#include "fuzz/FuzzPlatform.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "driver/Platform.h"

namespace fs = std::filesystem;

namespace {
struct FuzzMachine {
  const uint8_t *input = nullptr;
  size_t size = 0, at = 0;
  double clockDays = 0.25;
  double clockStepDays = 0.01 / 86400.0;
  fs::path scratch;
};
FuzzMachine Machine;
}  // namespace

void FuzzSetInput(const uint8_t *data, size_t size) {
  Machine.input = data;
  Machine.size = size;
  Machine.at = 0;
}

void FuzzSetClockStep(double seconds) { Machine.clockStepDays = seconds / 86400.0; }

std::string FuzzScratchDirectory() {
  if (Machine.scratch.empty()) {
    // In memory where there is such a folder: the targets write a file or more per input.
    std::error_code noShm;
    fs::path base = fs::is_directory("/dev/shm", noShm) ? fs::path("/dev/shm") : fs::temp_directory_path();
    Machine.scratch = base / ("krelin-fuzz-" + std::to_string(std::random_device{}()));
    std::error_code ignored;
    fs::remove_all(Machine.scratch, ignored);
    fs::create_directories(Machine.scratch);
    std::ofstream(Machine.scratch / "krelininit.txt") << "HASH=1\n";
    for (const char *book : {"KrelinWhite.bk", "KrelinBlack.bk"})
      fs::copy_file(fs::path(KRELIN_SOURCE_DIR) / "data" / book, Machine.scratch / book, ignored);
  }
  return Machine.scratch.string() + "/";
}

std::string FuzzWriteFile(const std::string &name, const uint8_t *data, size_t size) {
  std::string path = FuzzScratchDirectory() + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(data), std::streamsize(size));
  return path;
}

// ---------------------------------------------------------------------------------------------
// The platform layer.

void PlatformStartUp() {}

ReadResult ReadInputByte(char &byte) {
  if (Machine.at >= Machine.size) return ReadResult::EndOfInput;
  byte = char(Machine.input[Machine.at++]);
  return ReadResult::Byte;
}

// All of the input has arrived at once; at its end the reader sees the end of input at once.
bool InputBytesWaiting() { return true; }

// A protocol line is one line of at most 249 characters: anything else is a fault of the writer.
void WriteOutputLine(const std::string &text) {
  if (text.empty() || text.size() > 249 || text.find('\n') != std::string::npos) std::abort();
}

double ClockDays() { return Machine.clockDays += Machine.clockStepDays; }

bool FileExists(const std::string &path) {
  std::error_code ignored;
  return fs::is_regular_file(path, ignored) && std::ifstream(path).good();
}

std::string ResolveFileName(const std::string &path) { return path; }

std::string InstalledDataDirectory() { return FuzzScratchDirectory(); }

void ShowFatalMessage(const std::string &) {}

void AdviseLargePages(void *, size_t) {}
