#include "driver/Config.h"

#include <cstdlib>
#include <fstream>

#include "board/Text.h"
#include "driver/Platform.h"

EngineSettings Settings;

void ResetSettings() {
  std::string prefix = Settings.filePrefix;
  Settings = EngineSettings{};
  Settings.filePrefix = prefix;
  Settings.hashSize = DefaultHashSize;
  Settings.ponderEnabled = true;
  Settings.maxHorizon = FullHorizon;
  Settings.depthLimit = FullHorizon;
  Settings.testTimed = true;
  Settings.testTimeLimit = 120.0 / 86400.0;
  Settings.threadCount = 1;
}

static void TakeThreadCount(long count) {
  if (count >= 1 && count <= MaxThreadCount) Settings.threadCount = int(count);
}

bool LocateConfiguration() {
  if (FileExists(ConfigurationFileName)) {
    Settings.filePrefix.clear();
    return true;
  }
  std::string fallback = InstalledDataDirectory();
  if (FileExists(fallback + ConfigurationFileName)) {
    Settings.filePrefix = fallback;
    return true;
  }
  return false;
}

// A whole signed decimal number; false for anything else.
static bool ReadWholeNumber(const std::string &text, long &number) {
  char *end = nullptr;
  number = std::strtol(text.c_str(), &end, 10);
  return end != text.c_str() && *end == '\0';
}

// Calls take(key, value) for every valid line of the configuration file, in file order.
template <typename Take>
static void ForEachConfigurationLine(Take take) {
  std::ifstream file(Settings.filePrefix + ConfigurationFileName, std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    // SqueezeUpper drops a NUL like a blank, which would join "HASH=\0" and "64" into a key: a
    // line holding one is malformed.
    if (line.find('\0') != std::string::npos) continue;
    std::string normal = SqueezeUpper(line.substr(0, 255));
    if (normal.size() < 6) continue;
    long number = 0;
    if (!ReadWholeNumber(normal.substr(5, 40), number)) continue;
    take(normal.substr(0, 5), number);
  }
}

int ReadHashSize() {
  int size = DefaultHashSize;
  ForEachConfigurationLine([&](const std::string &key, long value) {
    if (key == "HASH=" &&
        (value == 1 || value == 2 || value == 4 || value == 8 || value == 16 || value == 32 || value == 64))
      size = int(value);
  });
  return size;
}

void ReadConfiguration() {
  ForEachConfigurationLine([](const std::string &key, long value) {
    if (key == "QUIT=") Settings.quitAfterResult = value != 0;
    if (key == "KIBS=") Settings.kibitzEnabled = value != 0;
    if (key == "CLOG=") Settings.consoleLogEnabled = value != 0;
    if (key == "CPUS=") TakeThreadCount(value);
  });
}

void TakeCoresCommand(const std::string &digits) {
  long count = 0;
  if (ReadWholeNumber(digits, count)) TakeThreadCount(count);
}
