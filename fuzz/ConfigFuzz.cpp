// The configuration file: any bytes as krelininit.txt. The hash size is always one of the seven.
#include <cstdlib>

#include "driver/Config.h"
#include "fuzz/FuzzPlatform.h"
#include "fuzz/FuzzSearch.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzScratchDirectory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzWriteFile(ConfigurationFileName, data, size);
  ResetSettings();
  if (!LocateConfiguration()) std::abort();
  int hash = ReadHashSize();
  if (hash < 1 || hash > 64 || (hash & (hash - 1)) != 0) std::abort();
  ReadConfiguration();
  return 0;
}
