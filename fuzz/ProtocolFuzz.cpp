// The whole engine as an interface meets it: the bytes are standard input from a fresh start on,
// the clock moves on 10 ms at every reading, and the horizon is 4 plies and every search capped
// by nodes so that every search is short. Output lines are checked by the stand-in platform: one
// line each, at most 249 characters. The engine starts up once (configuration, tables, books: the
// same for every input); every input then begins where start-up ends, with every record reset,
// the protocol's switches too, and the configuration's switches read.
#include "driver/Config.h"
#include "driver/EngineState.h"
#include "driver/Protocol.h"
#include "fuzz/FuzzPlatform.h"
#include "fuzz/FuzzSearch.h"
#include "search/Driver.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzStartUpEngine();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzSetInput(data, size);
  ResetEngineState();
  ResetProtocol();
  ReadConfiguration();
  Settings.maxHorizon = 4;
  Settings.searchNodeCap = FuzzInterfaceNodeCap;
  RunProtocolLoop();
  return 0;
}
