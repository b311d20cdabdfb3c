#include "fuzz/FuzzSearch.h"

#include "board/Perft.h"
#include "board/PositionKey.h"
#include "book/Book.h"
#include "driver/Config.h"
#include "driver/GameFlow.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

void FuzzInitTables() {
  InitBoardTables();
  InitZobrist();
  InitEvaluationMasks();
  SizeHashTables(1);
  ResetSettings();
}

void FuzzSearch(const Board &board, bool engineIsWhite, int depth) {
  ResetSearchState();
  StartGameFrom(board, engineIsWhite);
  ClearSearchSignals();
  Hooks = SilentHooks();
  Signals.timedMode = false;
  Books.useBook = false;
  BookRecord.forcedReply.clear();
  Limits = SearchLimits{};
  Limits.maxHorizon = depth;
  Limits.testMode = true;
  PrepareMoveSearch();
  Board root = board;
  EvalState state = SetUpSearchInputs(root);
  ChooseMove(root, state, NullMove);
}

void FuzzAcceptedPosition(const Board &board, bool engineIsWhite) {
  Game.engineIsWhite = engineIsWhite;
  Perft(board, EvalState{}, 2, true);
  FuzzSearch(board, engineIsWhite, 3);
}
