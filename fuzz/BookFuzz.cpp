// Opening book files: any bytes as either colour's book, then probes in the initial position and
// along the first lines of the book, as the root of a search probes it.
#include <cstdint>
#include <string>

#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "book/Book.h"
#include "fuzz/FuzzPlatform.h"
#include "fuzz/FuzzSearch.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzInitTables();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string path = FuzzWriteFile("FUZZ.bk", data, size);
  LoadBook(0, path);
  LoadBook(1, path);
  for (int colour = 0; colour < 2; colour++) {
    Game.engineIsWhite = colour == 0;
    for (int i = 1; i <= 3; i++) {
      const BookLine &line = Books.line[colour][i];
      // The engine moves after an even number of plies as White, after an odd number as Black.
      for (int plies = colour; 2 * plies < line.length; plies += 2) {
        Board position = StartBoard;
        if (!ReplayBookLine(line, 2 * plies + 1, position)) break;
        ClearBookRecord();
        BookProbe(position, Game.engineIsWhite, plies / 2, uint64_t(size) * 7919u + uint64_t(plies));
      }
    }
  }
  return 0;
}
