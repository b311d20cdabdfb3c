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

// Calls take(key, value) for every valid line of the configuration file, in file order.
template <typename Take>
static void ForEachConfigurationLine(Take take) {
  std::ifstream file(Settings.filePrefix + ConfigurationFileName, std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    std::string normal = SqueezeUpper(line.substr(0, 255));
    if (normal.size() < 6) continue;
    std::string value = normal.substr(5, 40);
    char *end = nullptr;
    long number = std::strtol(value.c_str(), &end, 10);
    if (end == value.c_str() || *end != '\0') continue;  // not a number
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
  });
}
