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
#include "driver/Protocol.h"
#include "fuzz/FuzzPlatform.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

void FuzzSmallTables() {
  if (TT.hashMask + 1 != FuzzTableBuckets) {  // an input may have sized them as the engine does
    TT.hashMask = FuzzTableBuckets - 1;
    TT.engineTable.assign(FuzzTableBuckets, TTBucket{});
    TT.opponentTable.assign(FuzzTableBuckets, TTBucket{});
  }
  TTClear();
}

void FuzzStartUpEngine() {
  FuzzScratchDirectory();
  FuzzSetClockStep(0.01);
  if (!StartUpEngine()) __builtin_trap();
  FuzzSmallTables();
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
  PrepareMoveSearch();
  RootInput input = PrepareRootInput(root, NullMove);
  input.limits.maxHorizon = depth;
  input.limits.testMode = true;
  input.limits.nodeCap = FuzzNodeCap;
  ChooseMove(input);
}

void FuzzAcceptedPosition(const Board &board, bool engineIsWhite, int depth) {
  Game.engineIsWhite = engineIsWhite;
  Perft(board, PerftRoot(board), 2, true);
  FuzzSearch(board, engineIsWhite, depth);
}
