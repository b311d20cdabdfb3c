// The PGN tools: any bytes as the game collection; the first line is the game filter's key. Both
// tools run on it, the book builder for either colour.
#include <string>

#include "book/PgnTools.h"
#include "fuzz/FuzzPlatform.h"
#include "fuzz/FuzzSearch.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzInitTables();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);
  std::string key = text.substr(0, text.find('\n')).substr(0, 200);
  std::string games = FuzzWriteFile("games.txt", data, size), directory = FuzzScratchDirectory();
  std::string message, failure;
  FilterGamesByKey(games, directory + "filtered.txt", key, message, failure);
  // The move count as the tool limits it, from below 0 to above 14.
  int moves = size > 0 ? data[0] % 18 - 2 : BookTextMoves;
  BuildBookText(games, directory + "Wbook.txt", moves, true, message, failure);
  BuildBookText(games, directory + "Zbook.txt", BookTextMoves, false, message, failure);
  return 0;
}
