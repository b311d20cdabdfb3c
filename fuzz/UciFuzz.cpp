// The engine as a UCI interface meets it: "uci" and then the bytes as standard input, the clock
// moving on 10 ms at every reading, the horizon 4 plies and every search capped by nodes so that
// every search is short (an infinite or ponder search ends with the input, which reads as quit).
// Output lines are checked by the stand-in platform: one line each, at most 249 characters. The
// engine starts up once, as the xboard target's does; every input then begins with every record
// reset, a new game, the book on and the small tables back (an input may have sized them).
#include <string>

#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/Engine.h"
#include "driver/EngineState.h"
#include "driver/Protocol.h"
#include "driver/Uci.h"
#include "fuzz/FuzzPlatform.h"
#include "fuzz/FuzzSearch.h"
#include "search/Driver.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzStartUpEngine();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string input = "uci\n" + std::string(reinterpret_cast<const char *>(data), size);
  FuzzSetInput(reinterpret_cast<const uint8_t *>(input.data()), input.size());
  FuzzSmallTables();
  ResetEngineState();
  if (!LocateConfiguration()) __builtin_trap();
  ReadConfiguration();
  EngineNewGame();
  EngineSetOwnBook(true);
  Settings.maxHorizon = 4;
  Settings.searchNodeCap = FuzzInterfaceNodeCap;
  ReadInputLine(false);
  if (!IsUciCommand(Console.inputLine)) __builtin_trap();
  RunUciLoop();
  return 0;
}
