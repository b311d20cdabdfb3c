// Move text: a protocol line as the loop and the poll read a move from it (usermove e7e8q, a bare
// e2e4), the conversions to and from the engine's move text, the opponent's move looked up on a
// board, and the same text as a move line of a test file, replayed from the initial position.
#include <cstdlib>
#include <string>

#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/Move.h"
#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "board/Text.h"
#include "driver/Notation.h"
#include "driver/Protocol.h"
#include "fuzz/FuzzSearch.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzInitTables();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string squeezed = SqueezeUpper(std::string(reinterpret_cast<const char *>(data), size));
  std::string engineText;
  if ((squeezed.compare(0, 8, "USERMOVE") == 0 || IsCoordinateMove(squeezed)) &&
      AcceptUserMove(squeezed, engineText)) {
    std::string protocolText = ToProtocolMoveText(engineText);
    // Back and forth, a move keeps its squares and its promotion piece.
    if (SqueezeUpper(ToEngineMoveText(protocolText)) != engineText) std::abort();
    for (bool engineIsWhite : {true, false}) {
      Game.engineIsWhite = engineIsWhite;
      Move move = ParseMove(engineText);
      if (move.kind != 0) FindOpponentMove(StartBoard, move);
      TypedPromotionPiece(engineText);
    }
  }
  // A test-file move line: the engine takes the side to move after the moves.
  Game.engineIsWhite = squeezed.size() / 4 % 2 == 0;
  Game.currentBoard = StartBoard;
  if (PlayMoveString(squeezed, Game.engineIsWhite)) FuzzSearch(Game.currentBoard, Game.engineIsWhite, 2);
  return 0;
}
