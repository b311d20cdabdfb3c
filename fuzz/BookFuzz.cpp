// Opening book files: any bytes as either colour's book, then probes along the first lines of the
// book, as the root of a search probes it.
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
    // Each probe walks the whole book, so a line is probed at one of its depths: the first line
    // where the engine makes its first move, the others where the input chooses. The engine moves
    // after an even number of plies as White, after an odd number as Black.
    for (int i = 1; i <= 3; i++) {
      const BookLine &line = Books.line[colour][i];
      int depths = (line.length - 2 * colour + 3) / 4;  // plies colour, colour + 2, ... below length / 2
      if (depths <= 0) continue;
      int plies = colour + (i == 1 ? 0 : 2 * int((size + uint64_t(i) * 7u) % uint64_t(depths)));
      Board position = StartBoard;
      if (!ReplayBookLine(line, 2 * plies + 1, position)) continue;
      ClearBookRecord();
      BookProbe(position, Game.engineIsWhite, plies / 2, uint64_t(size) * 7919u + uint64_t(plies));
    }
  }
  return 0;
}
