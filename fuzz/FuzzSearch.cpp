#include "fuzz/FuzzSearch.h"

#include "board/EvalState.h"
#include "board/GameRecord.h"
#include "board/Move.h"
#include "board/Perft.h"
#include "board/PositionKey.h"
#include "book/Book.h"
#include "driver/Config.h"
#include "driver/EngineState.h"
#include "driver/GameFlow.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

void FuzzSmallTables() {
  TT.hashMask = FuzzTableBuckets - 1;
  TT.engineTable.assign(FuzzTableBuckets, TTBucket{});
  TT.opponentTable.assign(FuzzTableBuckets, TTBucket{});
  TT.hashAge = 2;
}

void FuzzInitTables() {
  InitEngineTables(1);
  FuzzSmallTables();
  ResetEngineState();
}

void FuzzSearch(const Board &board, bool engineIsWhite, int depth) {
  Board root = board;  // the reset below starts a new game on the game board
  ResetEngineState();
  StartGameFrom(root, engineIsWhite);
  Hooks = SilentHooks();
  Signals.timedMode = false;
  Books.useBook = false;
  Limits.maxHorizon = depth;
  Limits.testMode = true;
  PrepareMoveSearch();
  EvalState state = SetUpSearchInputs(root);
  ChooseMove(root, state, NullMove);
}

void FuzzAcceptedPosition(const Board &board, bool engineIsWhite, int depth, uint64_t inputHash) {
  Game.engineIsWhite = engineIsWhite;
  uint64_t leaves = Perft(board, PerftRoot(board), 2, true);
  if (leaves <= CrowdedLeaves || inputHash % CrowdedSearchShare == 0) FuzzSearch(board, engineIsWhite, depth);
}

uint64_t FuzzInputHash(const uint8_t *data, size_t size) {
  uint64_t hash = 14695981039346656037ULL;
  for (size_t i = 0; i < size; i++) hash = (hash ^ data[i]) * 1099511628211ULL;
  return hash;
}
