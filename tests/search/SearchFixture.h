// Shared set-up of the search tests: the start-up tables, a small transposition table, a position
// read from a FEN line and searched as the test mode searches it (untimed, no book, a depth limit),
// and moves found by their text among the generated moves.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "board/Board.h"
#include "board/MakeMove.h"
#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "board/PositionKey.h"
#include "board/Setup.h"
#include "book/Book.h"
#include "driver/Config.h"
#include "driver/GameFlow.h"
#include "search/MoveOrder.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

constexpr int TestHashSize = 1;  // 65536 buckets per table: quick to clear between tests

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitBoardTables();
    InitZobrist();
    InitEvaluationMasks();
    SizeHashTables(TestHashSize);
    ResetSettings();
    ResetSearchState();
    ClearSearchSignals();
    savedHooks_ = Hooks;
    Hooks = SilentHooks();  // an earlier test may have installed the engine's console hooks
    Books.useBook = false;
    ClearBookRecord();
    BookRecord.forcedReply.clear();
    Game.engineIsWhite = true;
  }
  void TearDown() override {
    Hooks = savedHooks_;
    ResetGamePosition();
    ResetSearchState();
    Game.engineIsWhite = false;
  }

 private:
  SearchHooks savedHooks_{};
};

// The position of a FEN line from the side to move, which becomes the engine; the game restarts
// on it (its only history entry, fifty-move count 0, the table cleared).
inline Board StartFen(std::string_view fen) {
  Board board = EmptyBoard;
  bool engineIsWhite = true;
  EXPECT_TRUE(ReadFen(fen, board, engineIsWhite)) << fen;
  ResetSearchState();
  StartGameFrom(board, engineIsWhite);
  return board;
}

// One move search on board (the game position after lastMove) as the test mode runs it, untimed,
// up to maxHorizon. The game history and fifty-move count are taken as the test left them.
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
  std::string move;  // engine move text of the first move of the best line, "" for none
  int32_t score;
  uint64_t nodes;
};

inline SearchOutcome Outcome() {
  Move best = Tree.bestLine.move[1];
  return {best.IsNull() ? "" : CompactMoveText(best), Tree.rootBest, Tree.nodeCount};
}

// What krelin-dev search does: a new game on the position and one search to maxHorizon.
inline SearchOutcome SearchFen(std::string_view fen, int maxHorizon) {
  Board board = StartFen(fen);
  RunChooseMove(board, maxHorizon);
  return Outcome();
}

// The move of side with this engine move text ("G1F3") among the moves generated for board.
inline Move FindMove(const Board &board, int side, std::string_view text) {
  MoveList list;
  int top =
      side == EngineSide ? GenerateEngineMoves(board, true, list) : GenerateOpponentMoves(board, true, list);
  CaptureList captures;
  CollectCaptures(board, list, top, side, TriedMoves{}, captures);
  for (Move move = NextCapture(captures, CaptureMode::All, 0); move.kind != EndOfList;
       move = NextCapture(captures, CaptureMode::All, 0))
    if (CompactMoveText(move) == text) return move;
  for (Move move = NextQuietMove(list, top, TriedMoves{}); move.kind != EndOfList;
       move = NextQuietMove(list, top, TriedMoves{}))
    if (CompactMoveText(move) == text) return move;
  ADD_FAILURE() << "no move " << text;
  return NullMove;
}

inline Board AfterMove(Board board, Move move) {
  ApplyMove(move, board);
  return board;
}
