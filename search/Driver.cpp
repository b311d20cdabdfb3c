// The search driver: the root scoring pass, iterative deepening with aspiration windows, the
// stop conditions of the clock, the depth limit and the book, and the draw pull kept across moves.
#include <algorithm>

#include "board/MakeMove.h"
#include "book/Book.h"
#include "search/MoveOrder.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

SearchState Tree;
SearchLimits Limits;

namespace {
bool NoInput() { return false; }
void NoAction() {}
bool NothingPending() { return false; }
double NoTime() { return 0.0; }
void NoPostLine(int) {}
void NoAnalysisLine(int, bool) {}
void NoSearchLogLine(int) {}
}  // namespace

SearchHooks SilentHooks() {
  return SearchHooks{NoInput,     NoAction,       NothingPending,  NoTime, NoAction, NoTime,
                     NoPostLine, NoAnalysisLine, NoSearchLogLine, nullptr, nullptr};
}

// Until the driver fills them in, the search runs silent and untimed.
SearchHooks Hooks = SilentHooks();

void ResetSearchForNewGame() {
  Tree.drawishCap = 0;
  for (int32_t &score : Tree.recentScores) score = -Infinite;
  Tree.bestLine = PrincipalLine{};
  Tree.driverLine = PrincipalLine{};
}

void ResetSearchState() {
  Tree = SearchState{};
  ResetSearchForNewGame();
}

void PrepareMoveSearch() {
  Tree.nodeCount = 0;
  Tree.pollCounter = 0;
  Tree.rootBest = 0;
  Tree.selectiveMode = false;
  Tree.bestLine = PrincipalLine{};
  ClearKillers();
}

// Ascending by score; the first of the smallest scores is swapped into place.
static void SortRootMoves() {
  int n = Tree.rootMoveCount;
  for (int i = 1; i < n; i++) {
    int smallest = i;
    for (int k = i + 1; k <= n; k++)
      if (Tree.rootMoveTable[k].score < Tree.rootMoveTable[smallest].score) smallest = k;
    std::swap(Tree.rootMoveTable[i], Tree.rootMoveTable[smallest]);
  }
}

static Move FindEasyMove() {
  int n = Tree.rootMoveCount;
  if (n == 1) return Tree.rootMoveTable[1].move;
  if (n >= 2 && Tree.rootMoveTable[n].score - Tree.rootMoveTable[n - 1].score > 150) return Tree.rootMoveTable[n].move;
  return NullMove;
}

// An easy move must win material that stays won: a piece other than a pawn, on a square the
// opponent does not attack once the capturer has left its own.
static bool EasyMoveIsSafe(const Board &root, Move move) {
  if (move.kind != CaptureMove || root[move.to] == OpponentPawn) return false;
  Board board = root;
  board[move.from] = Empty;
  return !IsAttacked(board, move.to, OpponentSide);
}

static bool NewOrQuitStops() { return Signals.stopSearch && Signals.commandPending && Hooks.newOrQuitPending(); }

// Whether the deepening goes on, looking at the first move of the last line.
static bool KeepDeepening() {
  Move m = Tree.driverLine.move[1];
  if (BookRecord.status == BookMovesFound && Tree.researchCount == 0 && Tree.bookMatchCount > 0) {
    SeedRandom(uint64_t(Hooks.clockDays() * 86400000.0));
    int r = 11 + Random(2);
    bool keepSearching = r > Tree.horizon && (Tree.bookMatchCount != 1 || Tree.horizon < 8);
    if (!keepSearching && IsBookCandidate(m)) return false;
  }
  if (Signals.stopSearch) return false;
  if (Tree.horizon > Limits.maxHorizon || (Tree.horizon == Limits.maxHorizon && Tree.researchCount == 0)) return false;
  if (Tree.rootBest >= MateThreshold && Tree.researchCount == 0) return false;

  if (!Signals.timedMode || Limits.testMode || Tree.researchCount >= 1) return true;
  double t = Hooks.elapsedTime() + Tree.ponderTimeCredit;
  double soft = Limits.softTimeLimit;
  if (Tree.horizon >= 6 && Tree.legalRootMoves < 2 && Tree.rootBest >= -1100) return false;
  bool deepEnough = Tree.horizon >= Limits.minTimeStopDepth;
  if (deepEnough && Tree.rootBest >= -1100 && Tree.easyMove == m) return t < soft / 6;
  bool goOn = deepEnough ? t < soft / 1.5 : t < soft;
  if (Tree.iterationScore[Tree.horizon] < Tree.iterationScore[Tree.horizon - 1] - 20 && t < soft) goOn = true;
  return goOn;
}

static void Finish() {
  Tree.depthReached = Tree.horizon;
  Hooks.analysisLine(45, true);
}

bool ChooseMove(const Board &board, const EvalState &state, Move lastMove) {
  bool legal = true;
  PrincipalLine line{};
  int32_t value = 0;

  // Root scoring pass
  Tree.rootScoringPass = true;
  Tree.horizon = 3;
  Tree.ttDepthLimit = 0;
  Tree.horizonLess2 = 75;
  for (int d = 0; d <= 3; d++) Tree.iterationScore[d] = Infinite;
  Tree.rootBest = -Infinite;
  Tree.easyMove = NullMove;
  Tree.previousBest = Tree.rootBest;
  Tree.researchCount = 0;
  Tree.legalRootMoves = 0;
  Tree.rootMovesDone = 0;
  Tree.aspirationLow = -Infinite;
  Tree.aspirationHigh = Infinite;
  Search(board, 0, 0, 0, Infinite, -Infinite, state, lastMove, line, value, legal);

  if (NewOrQuitStops()) {
    Tree.rootScoringPass = false;
    return legal;
  }
  BookRecord.forcedReply.clear();
  Tree.iterationScore[Tree.horizon] = Tree.rootBest;
  Tree.rootScoringPass = false;
  if (!(BookRecord.chosen && BookRecord.status == BookForcedReply)) {
    SortRootMoves();
    Tree.easyMove = FindEasyMove();
  }
  if (!Tree.easyMove.IsNull() && !EasyMoveIsSafe(board, Tree.easyMove)) Tree.easyMove = NullMove;
  Tree.driverLine = Tree.bestLine;
  Tree.legalRootMoves = Tree.rootMovesDone;

  if (!legal) return false;
  if (!(BookRecord.chosen && BookRecord.status > BookForcedReply)) {
    TT.hashAge++;
    if (TT.hashAge > 32000) TTClear();
  }

  // A book or forced decision needs no deeper search.
  if (BookRecord.chosen) {
    Tree.rootBest = BookRecord.status > BookForcedReply ? MateThreshold : 0;
    Hooks.postLine(2);
    Finish();
    return true;
  }
  if (Tree.legalRootMoves <= 0) {
    Finish();
    return true;
  }

  // Iterative deepening
  while (KeepDeepening()) {
    Tree.followLine = Tree.driverLine;
    if (Tree.horizon <= 5) Hooks.analysisLine(45, true);
    if (Tree.researchCount == 0) Tree.horizon++;
    Tree.selectiveMode = Tree.horizon > 4;
    if (Tree.researchCount == 4 || !Tree.selectiveMode) {
      Tree.aspirationLow = -Infinite, Tree.aspirationHigh = Infinite;
    } else if (Tree.researchCount == 0) {
      Tree.aspirationLow = Tree.rootBest - 50, Tree.aspirationHigh = Tree.rootBest + 50;
    } else if (Tree.failedLow) {
      Tree.aspirationLow = Tree.rootBest - 100, Tree.aspirationHigh = Infinite;
    } else {
      Tree.aspirationLow = -Infinite, Tree.aspirationHigh = Tree.rootBest + 100;
    }
    Tree.horizonLess2 = std::max(Tree.horizon - 2, 2);
    Tree.ttDepthLimit = Tree.selectiveMode ? Tree.horizon : 0;

    Tree.previousBest = Tree.rootBest;
    Tree.rootBest = -Infinite;
    line = PrincipalLine{};
    Search(board, 0, 0, 0, Infinite, Tree.aspirationLow, state, lastMove, line, value, legal);

    if (NewOrQuitStops()) return true;
    if (Signals.stopSearch && line.move[1].IsNull())
      Tree.rootBest = Tree.researchCount > 0 ? Tree.iterationScore[Tree.horizon] : Tree.iterationScore[Tree.horizon - 1];
    Tree.iterationScore[Tree.horizon] = Tree.rootBest;
    if (!(Tree.easyMove == line.move[1]) ||
        (Tree.selectiveMode && Tree.rootBest < Tree.previousBest - 30 && Tree.horizon >= 8))
      Tree.easyMove = NullMove;

    // Aspiration result
    if (Tree.researchCount >= 4) {
      Tree.researchCount = 0;
    } else if (Tree.selectiveMode &&
               (Tree.rootBest > Tree.aspirationHigh || Tree.rootBest <= Tree.aspirationLow)) {
      Tree.researchCount++;
      Tree.failedLow = Tree.rootBest <= Tree.aspirationLow;
      if (Tree.failedLow) Tree.easyMove = NullMove;
      Tree.failScore = Tree.rootBest;
      Tree.failLine = line;
    } else {
      Tree.researchCount = 0;
    }
    Tree.driverLine = line;
    if (Hooks.iterationDone != nullptr) Hooks.iterationDone();
  }
  Finish();
  return true;
}

void UpdateDrawishCap(int32_t depth, Move move, int32_t score) {
  if (depth < 5) return;
  int32_t sum = 0;
  for (int k = 0; k < 3; k++) Tree.recentScores[k] = Tree.recentScores[k + 1];
  Tree.recentScores[3] = score;
  for (int32_t recent : Tree.recentScores) sum += recent;
  int32_t average = sum / 4;
  bool quietMove = move.kind != CaptureMove && move.kind != EnPassantMove && move.promotion == 0;
  if (quietMove && score >= 40 && score <= average + 30)
    Tree.drawishCap = std::min(Tree.drawishCap + std::max(2, Tree.drawishCap / 4), 150);
  else
    Tree.drawishCap = 0;
}
