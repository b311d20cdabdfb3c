// The engine's key=value position files, as the test files name them: any bytes in the file, and
// an accepted position counted and searched as the FEN target does.
#include <string>

#include "board/Setup.h"
#include "fuzz/FuzzPlatform.h"
#include "fuzz/FuzzSearch.h"

constexpr int SearchDepth = 4;

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzInitTables();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string path = FuzzWriteFile("P001.TXT", data, size);
  Board board;
  bool engineIsWhite = true;
  if (!ReadPositionFile(path, board, engineIsWhite)) return 0;
  FuzzAcceptedPosition(board, engineIsWhite, SearchDepth);
  return 0;
}
