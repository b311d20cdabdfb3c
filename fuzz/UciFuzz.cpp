// The engine as a UCI interface meets it: "uci" and then the bytes as standard input, the clock
// moving on 10 ms at every reading, the horizon 4 plies so that every search is short (an
// infinite or ponder search ends with the input, which reads as quit). Output lines are checked
// by the stand-in platform: one line each, at most 249 characters.
#include <string>

#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/Protocol.h"
#include "driver/Uci.h"
#include "fuzz/FuzzPlatform.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzScratchDirectory();
  FuzzSetClockStep(0.01);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string input = "uci\n" + std::string(reinterpret_cast<const char *>(data), size);
  FuzzSetInput(reinterpret_cast<const uint8_t *>(input.data()), input.size());
  if (!StartUpEngine()) __builtin_trap();
  Settings.maxHorizon = 4;
  ReadInputLine(false);
  if (!IsUciCommand(Console.inputLine)) __builtin_trap();
  RunUciLoop();
  return 0;
}
