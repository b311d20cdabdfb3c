// FEN/EPD lines, as setboard and the test files hand them over: the reader keeps every write on
// the board and accepts only positions the engine can search. Each accepted one has its legal
// moves counted two plies deep and is searched to depth 4 within the fuzz targets' node cap: the
// scoring pass, and for a small position the deeper iteration after it.
#include <string>

#include "board/Setup.h"
#include "fuzz/FuzzSearch.h"

constexpr int SearchDepth = 4;

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzInitTables();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string line(reinterpret_cast<const char *>(data), size);
  Board board;
  bool engineIsWhite = true;
  if (!ReadFen(line, board, engineIsWhite)) return 0;
  FuzzAcceptedPosition(board, engineIsWhite, SearchDepth);
  return 0;
}
