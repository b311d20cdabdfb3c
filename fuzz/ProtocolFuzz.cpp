// The whole engine as an interface meets it: the bytes are standard input from the start-up on,
// the clock moves on 10 ms at every reading, and the horizon is 4 plies so that every search is
// short. Output lines are checked by the stand-in platform: one line each, at most 249 characters.
#include "driver/Config.h"
#include "driver/Protocol.h"
#include "fuzz/FuzzPlatform.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzScratchDirectory();
  FuzzSetClockStep(0.01);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzSetInput(data, size);
  if (!StartUpEngine()) __builtin_trap();
  Settings.maxHorizon = 4;
  RunProtocolLoop();
  return 0;
}
