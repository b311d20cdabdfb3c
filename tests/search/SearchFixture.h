// Shared set-up of the search tests: a small table, no book, and untimed searches to a depth limit.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "board/EvalState.h"
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/Move.h"
#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "board/PositionKey.h"
#include "board/Setup.h"
#include "book/Book.h"
#include "driver/Config.h"
#include "driver/GameFlow.h"
#include "search/Driver.h"
#include "search/Node.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"
#include "support/FreshEngine.h"

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshEngine();
    savedHooks_ = Hooks;
    Hooks = SilentHooks();
    Books.useBook = false;
    Game.engineIsWhite = true;
  }
  void TearDown() override { Hooks = savedHooks_; }

 private:
  SearchHooks savedHooks_{};
};

// The engine's move and score for the FEN position as a new game, the side to move as the
// engine, searched untimed to maxHorizon as the test mode does it (nodeCap: the fuzz targets' cap).
struct SearchOutcome {
  std::string move;  // "" for none
  int32_t score;
};

inline SearchOutcome SearchFen(std::string_view fen, int maxHorizon, int threads = 1, uint64_t nodeCap = 0) {
  Board board = EmptyBoard;
  bool engineIsWhite = true;
  EXPECT_TRUE(ReadFen(fen, board, engineIsWhite)) << fen;
  StartGameFrom(board, engineIsWhite);
  Signals.timedMode = false;
  PrepareMoveSearch();
  RootInput input = PrepareRootInput(board, NullMove);
  input.limits.maxHorizon = maxHorizon;
  input.limits.testMode = true;
  input.limits.threadCount = threads;
  input.limits.nodeCap = nodeCap;
  SearchResult result = ChooseMove(input);
  return {result.move.IsNull() ? "" : CompactMoveText(result.move), result.score};
}

// A tree for single nodes called straight from a test: an empty table, the given horizon without
// selectivity, and open windows.
inline void PrepareSingleNodes(int horizon) {
  TTClear();
  Tree.horizon = horizon;
  Tree.horizonLess2 = 2;
  Tree.ttDepthLimit = 60;
  Tree.extensionLimit = 64;
  Tree.lateDepth = 3;
  Tree.lazyEvalDepth = Tree.context.lazyEvalDepth = 1000;
  Tree.aspirationLow = -Infinite;
  Tree.aspirationHigh = Infinite;
}

inline Board AfterMove(Board board, Move move) {
  ApplyMove(move, board);
  return board;
}
