// Shared set-up of the search tests: a small table, no book, and untimed searches to a depth limit.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "board/MakeMove.h"
#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "board/PositionKey.h"
#include "board/Setup.h"
#include "book/Book.h"
#include "driver/Config.h"
#include "driver/GameFlow.h"
#include "search/MoveOrder.h"
#include "search/Node.h"
#include "search/Driver.h"
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

// A new game on the FEN position; the side to move becomes the engine.
inline Board StartFen(std::string_view fen) {
  Board board = EmptyBoard;
  bool engineIsWhite = true;
  EXPECT_TRUE(ReadFen(fen, board, engineIsWhite)) << fen;
  ResetSearchState();
  StartGameFrom(board, engineIsWhite);
  return board;
}

inline bool RunChooseMove(Board board, int maxHorizon, Move lastMove = NullMove) {
  ClearSearchSignals();
  Signals.timedMode = false;
  Limits = SearchLimits{};
  Limits.maxHorizon = maxHorizon;
  Limits.testMode = true;
  PrepareMoveSearch();
  EvalState state = SetUpSearchInputs(board);
  return ChooseMove(board, state, lastMove);
}

struct SearchOutcome {
  std::string move;  // "" for none
  int32_t score;
  uint64_t nodes;
};

inline SearchOutcome Outcome() {
  Move best = Tree.bestLine.move[1];
  return {best.IsNull() ? "" : CompactMoveText(best), Tree.rootBest, Tree.nodeCount};
}

inline SearchOutcome SearchFen(std::string_view fen, int maxHorizon) {
  RunChooseMove(StartFen(fen), maxHorizon);
  return Outcome();
}

inline Board AfterMove(Board board, Move move) {
  ApplyMove(move, board);
  return board;
}
