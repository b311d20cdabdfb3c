// The engine's settings: what the configuration file sets (hash size and three switches), what
// the command interpreter and the protocol change, and the directory prefix of every file the
// engine opens.
//
// The configuration file "krelininit.txt" is a file of lines normalised like commands; the first
// five characters are the key, characters 6..45 a signed decimal value. Lines with another key or
// a value that is not a number are skipped; the last valid line of a key wins.
#pragma once

#include <cstdint>
#include <string>

constexpr const char *ConfigurationFileName = "krelininit.txt";
constexpr int DefaultHashSize = 8;
constexpr int FullHorizon = 50;
constexpr int MaxThreadCount = 64;

struct EngineSettings {
  std::string filePrefix;  // directory of the configuration, with separator; empty: current directory
  int hashSize;            // n x 65536 buckets per transposition table
  bool quitAfterResult;    // QUIT=: a result command ends the program
  bool kibitzEnabled;      // KIBS=: "tellall" after every move
  bool consoleLogEnabled;  // CLOG=: the console log is written
  bool ponderEnabled;      // think on the opponent's time (easy / hard, /P)
  int32_t maxHorizon;      // depth horizon of the search; below 50 the engine is in test mode
  int32_t depthLimit;      // sd: the searches stop after this depth; FullHorizon: no limit
  bool testMode;
  bool testTimed;          // in test mode the search stops after testTimeLimit
  double testTimeLimit;    // days
  bool fullEvalToggle;     // E1 / E0 in the settings line
  int threadCount;         // CPUS= or the interface's cores: search threads, 1 to MaxThreadCount
  uint64_t searchNodeCap;  // the fuzz targets' cap on each search's nodes (0: none, as in every game)
};
extern EngineSettings Settings;

void ResetSettings();        // start-up values
bool LocateConfiguration();  // sets filePrefix; false when the file is nowhere
int ReadHashSize();          // the last valid HASH= value, DefaultHashSize without one
void ReadConfiguration();    // QUIT=, KIBS=, CLOG=, CPUS=
// The interface's "cores N" (digits after the word): the thread count when N is 1 to
// MaxThreadCount, else nothing changes.
void TakeCoresCommand(const std::string &digits);
