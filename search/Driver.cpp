// The search driver (see search/Driver.h): the root scoring pass, iterative deepening with
// aspiration windows, the stop conditions of the clock, the depth limit and the book, the helper
// threads, and the draw pull kept across moves.
#include "search/Driver.h"
#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

#include "board/Attacks.h"
#include "book/Book.h"
#include "search/MoveOrder.h"
#include "search/Node.h"
#include "search/Root.h"
#include "search/TransTable.h"

namespace {

// The root scoring pass and the depths derived from the horizon.
constexpr int ScoringPassDepth = 3;
constexpr int ScoringPassHorizonLess2 = 75;  // no quiet-move reduction in the scoring pass
constexpr int MaxAnalysisHorizon = 5;  // the analysis line is written before iterations up to this depth

// Aspiration windows and the easy move.
constexpr int32_t AspirationWindow = 50;
constexpr int32_t ResearchWindow = 100;
constexpr int MaxResearches = 4;         // the next research runs with the open window and is accepted
constexpr int32_t EasyMoveMargin = 150;  // the best root move leads the second by more than this
constexpr int32_t EasyMoveDrop = 30;     // a score drop this large at depth EasyMoveDepth or more
constexpr int EasyMoveDepth = 8;

// The book's depth limit: deepening stops on a book move from a random depth of 11 or 12 (only
// below 8 when a single book move matched).
constexpr int BookStopDepth = 11;
constexpr int BookSingleMatchDepth = 8;

// The clock.
constexpr double EasyMoveTimeDivisor = 6;  // an easy move takes a sixth of the soft limit
constexpr double DeepTimeDivisor = 1.5;    // past the minimum stop depth, two thirds of it
constexpr int SoleMoveDepth = 6;           // a sole legal move is played from this depth on
constexpr int BookPostLineMoves = 2;       // moves of the thinking output after a book decision
constexpr int PollInterval = 32768;        // nodes between two polls of input and clock

constexpr int MaxHashAge = 32000;

// The draw pull: a quiet move with a modest score that does not beat the recent average.
constexpr int DrawPullMinDepth = 5;
constexpr int32_t DrawPullMinScore = 40;
constexpr int32_t DrawPullAboveAverage = 30;
constexpr int32_t MaxDrawishCap = 150;

// What the thread records point to between searches: no position, an empty history.
const GameHistoryRecord EmptyHistory{};
RootInput MakeIdleInput() {
  RootInput input{};
  input.history = &EmptyHistory;
  return input;
}
const RootInput IdleInput = MakeIdleInput();

struct HelperCrew {
  std::vector<SearchThread> records;  // one per helper, sized when the thread count changes
  std::vector<std::thread> threads;
  int searched = 0;  // helpers of the last search, whose nodes count in its total
};
HelperCrew Crew;

}  // namespace

SearchThread Tree;

void ResetSearchForNewGame() {
  Tree.drawishCap = 0;
  for (int32_t &score : Tree.recentScores) score = -Infinite;
  Tree.bestLine = PrincipalLine{};
  Tree.driverLine = PrincipalLine{};
}

void ResetSearchState() {
  Tree = SearchThread{};
  Tree.isMain = true;
  Tree.root = &IdleInput;
  Tree.pollMask = PollInterval - 1;
  ResetSearchForNewGame();
}

void PrepareMoveSearch() {
  Tree.nodeCount = 0;
  Tree.selectiveDepth = 0;
  Crew.searched = 0;
  Tree.pollCounter = 0;
  Tree.rootBest = 0;
  Tree.selectiveMode = false;
  Tree.bestLine = PrincipalLine{};
  ClearKillers(Tree);
}

// ---------------------------------------------------------------------------------------------
// The deepening.

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
  if (n >= 2 && Tree.rootMoveTable[n].score - Tree.rootMoveTable[n - 1].score > EasyMoveMargin)
    return Tree.rootMoveTable[n].move;
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

static bool NewOrQuitStops() {
  return Signals.stopSearch && Signals.commandPending && Hooks.newOrQuitPending();
}

// Whether the deepening goes on, looking at the first move of the last line.
static bool KeepDeepening() {
  const SearchLimits &limits = Tree.root->limits;
  Move m = Tree.driverLine.move[1];
  if (BookRecord.status == BookMovesFound && Tree.researchCount == 0 && Tree.bookMatchCount > 0) {
    SeedRandom(ClockSeed());
    int r = BookStopDepth + Random(2);
    bool keepSearching =
        r > Tree.horizon && (Tree.bookMatchCount != 1 || Tree.horizon < BookSingleMatchDepth);
    if (!keepSearching && IsBookCandidate(m)) return false;
  }
  if (Signals.stopSearch) return false;
  if (Tree.horizon > limits.maxHorizon || (Tree.horizon == limits.maxHorizon && Tree.researchCount == 0))
    return false;
  if (Tree.rootBest >= MateThreshold && Tree.researchCount == 0) return false;

  if (!Signals.timedMode || limits.testMode || Tree.researchCount >= 1) return true;
  double t = Hooks.elapsedTime() + Tree.ponderTimeCredit;
  double soft = limits.softTimeLimit;
  if (Tree.horizon >= SoleMoveDepth && Tree.legalRootMoves < 2 && Tree.rootBest >= LostScore) return false;
  bool deepEnough = Tree.horizon >= limits.minTimeStopDepth;
  if (deepEnough && Tree.rootBest >= LostScore && Tree.easyMove == m) return t < soft / EasyMoveTimeDivisor;
  bool goOn = deepEnough ? t < soft / DeepTimeDivisor : t < soft;
  bool scoreDropped =
      Tree.iterationScore[Tree.horizon] < Tree.iterationScore[Tree.horizon - 1] - ScoreDropMargin;
  if (scoreDropped && t < soft) goOn = true;
  return goOn;
}

static void Finish() {
  Tree.depthReached = Tree.horizon;
  Hooks.analysisLine(LineLength - 1, true);
}

// The aspiration bounds of the next iteration: open while not selective or after the last
// research, a narrow window around the last score, or a window opened on the side that failed.
static void SetAspirationWindow(SearchThread &t) {
  if (t.researchCount == MaxResearches || !t.selectiveMode) {
    t.aspirationLow = -Infinite, t.aspirationHigh = Infinite;
  } else if (t.researchCount == 0) {
    t.aspirationLow = t.rootBest - AspirationWindow, t.aspirationHigh = t.rootBest + AspirationWindow;
  } else if (t.failedLow) {
    t.aspirationLow = t.rootBest - ResearchWindow, t.aspirationHigh = Infinite;
  } else {
    t.aspirationLow = -Infinite, t.aspirationHigh = t.rootBest + ResearchWindow;
  }
}

// After an iteration: accept it and go deeper, or search the same depth again after a fail.
static void TakeAspirationResult(SearchThread &t, const PrincipalLine &line) {
  if (t.researchCount >= MaxResearches) {
    t.researchCount = 0;
  } else if (t.selectiveMode && (t.rootBest > t.aspirationHigh || t.rootBest <= t.aspirationLow)) {
    t.researchCount++;
    t.failedLow = t.rootBest <= t.aspirationLow;
    if (t.failedLow) t.easyMove = NullMove;
    t.failScore = t.rootBest;
    t.failLine = line;
  } else {
    t.researchCount = 0;
  }
}

// One iteration of thread t: the next depth (or the same one after an aspiration fail), its
// window, and the search of the root. line receives the iteration's line.
static void SearchIteration(SearchThread &t, const RootInput &input, PrincipalLine &line, bool &legal) {
  t.selectiveMode = t.horizon > SelectiveHorizon;
  SetAspirationWindow(t);
  t.horizonLess2 = std::max(t.horizon - 2, 2);
  t.ttDepthLimit = t.selectiveMode ? t.horizon : 0;

  t.previousBest = t.rootBest;
  t.rootBest = -Infinite;
  line = PrincipalLine{};
  int32_t value = 0;
  Search(t, input.board, 0, 0, 0, Infinite, t.aspirationLow, input.state, input.lastMove, line, value, legal);
}

// ---------------------------------------------------------------------------------------------
// Helper threads. Each searches the same root on its own record and shares only the tables with
// the others; the main thread alone reports, keeps time and decides the move. The helpers keep
// out of lock step by the skip blocks of lazy SMP: helper i (counted from 0) leaves out the
// depths d for which (d + SkipPhase[i]) / SkipSize[i] is odd, so that at any time the threads are
// spread over neighbouring depths and fill the tables for one another.

constexpr int SkipPatterns = 20;
constexpr int SkipSize[SkipPatterns] = {1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4};
constexpr int SkipPhase[SkipPatterns] = {0, 1, 0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5, 6, 7};

static bool HelperSkipsDepth(int helper, int depth) {
  int i = helper % SkipPatterns;
  return (depth + SkipPhase[i]) / SkipSize[i] % 2 != 0;
}

namespace {

// A helper's deepening: from the main thread's record after the scoring pass, until the main
// thread ends its search (or a stop). Its lines and scores are its own and are never played.
void HelperSearch(int helper, const RootInput &input) {
  SearchThread &t = Crew.records[helper];
  PrincipalLine line{};
  bool legal = true;
  while (!SearchStopped()) {
    t.followLine = t.driverLine;
    if (t.researchCount == 0) {
      t.horizon++;
      while (HelperSkipsDepth(helper, t.horizon)) t.horizon++;
    }
    if (t.horizon > input.limits.maxHorizon) return;
    SearchIteration(t, input, line, legal);
    if (SearchStopped()) return;
    t.iterationScore[t.horizon] = t.rootBest;
    TakeAspirationResult(t, line);
    t.driverLine = line;
  }
}

// Starts the helpers of a search from the main thread's record; the destructor stops and joins
// them, so that no helper outlives the search that started it, whichever way that search ends.
struct HelperRun {
  explicit HelperRun(const RootInput &input) {
    int helpers = std::clamp(input.limits.threadCount, 1, MaxSearchThreads) - 1;
    if (int(Crew.records.size()) != helpers) Crew.records.resize(helpers);
    for (int i = 0; i < helpers; i++) {
      Crew.records[i] = Tree;
      Crew.records[i].isMain = false;
      Crew.records[i].nodeCount = 0;
    }
    Crew.searched = helpers;
    HelpersHalt = false;
    for (int i = 0; i < helpers; i++) Crew.threads.emplace_back(HelperSearch, i, std::cref(input));
  }
  ~HelperRun() {
    HelpersHalt = true;
    for (std::thread &thread : Crew.threads) thread.join();
    Crew.threads.clear();
    HelpersHalt = false;
  }
  HelperRun(const HelperRun &) = delete;
  HelperRun &operator=(const HelperRun &) = delete;
};

}  // namespace

uint64_t SearchNodeTotal() {
  uint64_t total = Tree.nodeCount;
  for (int i = 0; i < Crew.searched; i++) total += Crew.records[i].nodeCount;
  return total;
}

// The search of ChooseMove on Tree.root: false when the opponent's move was illegal.
static bool SearchRoot(const RootInput &input) {
  bool legal = true;
  PrincipalLine line{};
  int32_t value = 0;

  // The main thread shares the cores with its helpers: it polls after proportionally fewer nodes of
  // its own, so that input and the clock are looked at as often as on one thread.
  int pollInterval = PollInterval;
  for (int threads = 1; threads < input.limits.threadCount && pollInterval > 1; threads *= 2)
    pollInterval /= 2;
  Tree.pollMask = input.limits.nodeCap > 0 ? 0 : uint64_t(pollInterval) - 1;

  // Root scoring pass
  Tree.isMain = true;
  Tree.rootScoringPass = true;
  Tree.horizon = ScoringPassDepth;
  Tree.ttDepthLimit = 0;
  Tree.horizonLess2 = ScoringPassHorizonLess2;
  for (int d = 0; d <= ScoringPassDepth; d++) Tree.iterationScore[d] = Infinite;
  Tree.rootBest = -Infinite;
  Tree.easyMove = NullMove;
  Tree.previousBest = Tree.rootBest;
  Tree.researchCount = 0;
  Tree.legalRootMoves = 0;
  Tree.rootMovesDone = 0;
  Tree.aspirationLow = -Infinite;
  Tree.aspirationHigh = Infinite;
  Search(Tree, input.board, 0, 0, 0, Infinite, -Infinite, input.state, input.lastMove, line, value, legal);

  if (NewOrQuitStops()) {
    Tree.rootScoringPass = false;
    return legal;
  }
  Tree.iterationScore[Tree.horizon] = Tree.rootBest;
  Tree.rootScoringPass = false;
  if (!(BookRecord.chosen && BookRecord.status == BookSuppliedReply)) {
    SortRootMoves();
    Tree.easyMove = FindEasyMove();
  }
  if (!Tree.easyMove.IsNull() && !EasyMoveIsSafe(input.board, Tree.easyMove)) Tree.easyMove = NullMove;
  Tree.driverLine = Tree.bestLine;
  Tree.legalRootMoves = Tree.rootMovesDone;

  if (!legal) return false;
  if (!(BookRecord.chosen && BookRecord.status > BookSuppliedReply)) {
    TT.hashAge++;
    if (TT.hashAge > MaxHashAge) TTClear();
  }

  // A book decision or the supplied reply needs no deeper search.
  if (BookRecord.chosen) {
    Tree.rootBest = BookRecord.status > BookSuppliedReply ? MateThreshold : 0;
    Hooks.postLine(BookPostLineMoves);
    Finish();
    return true;
  }
  if (Tree.legalRootMoves <= 0) {
    Finish();
    return true;
  }

  // Iterative deepening, the helpers beside it
  HelperRun helpers(input);
  while (KeepDeepening()) {
    Tree.followLine = Tree.driverLine;
    if (Tree.horizon <= MaxAnalysisHorizon) Hooks.analysisLine(LineLength - 1, true);
    if (Tree.researchCount == 0) Tree.horizon++;
    SearchIteration(Tree, input, line, legal);

    if (NewOrQuitStops()) return true;
    // Stopped before a root move was done: the last completed score stands.
    if (Signals.stopSearch && line.move[1].IsNull())
      Tree.rootBest =
          Tree.researchCount > 0 ? Tree.iterationScore[Tree.horizon] : Tree.iterationScore[Tree.horizon - 1];
    Tree.iterationScore[Tree.horizon] = Tree.rootBest;
    if (!(Tree.easyMove == line.move[1]) ||
        (Tree.selectiveMode && Tree.rootBest < Tree.previousBest - EasyMoveDrop &&
         Tree.horizon >= EasyMoveDepth))
      Tree.easyMove = NullMove;
    TakeAspirationResult(Tree, line);
    Tree.driverLine = line;
    if (Hooks.iterationDone != nullptr) Hooks.iterationDone();
  }
  Finish();
  return true;
}

SearchResult ChooseMove(const RootInput &input) {
  Tree.root = &input;
  bool legal = SearchRoot(input);  // the helpers have ended when it returns
  Tree.root = &IdleInput;
  SearchResult result{};
  result.legal = legal;
  result.move = Tree.bestLine.move[1];
  result.ponderMove = Tree.bestLine.move[2];
  result.score = Tree.rootBest;
  result.depth = Tree.depthReached;
  result.nodes = SearchNodeTotal();
  return result;
}

void UpdateDrawishCap(int32_t depth, Move move, int32_t score) {
  if (depth < DrawPullMinDepth) return;
  int32_t sum = 0;
  for (int k = 0; k < 3; k++) Tree.recentScores[k] = Tree.recentScores[k + 1];
  Tree.recentScores[3] = score;
  for (int32_t recent : Tree.recentScores) sum += recent;
  int32_t average = sum / 4;
  bool quietMove = move.kind != CaptureMove && move.kind != EnPassantMove && move.promotion == 0;
  if (quietMove && score >= DrawPullMinScore && score <= average + DrawPullAboveAverage)
    Tree.drawishCap = std::min(Tree.drawishCap + std::max(2, Tree.drawishCap / 4), MaxDrawishCap);
  else
    Tree.drawishCap = 0;
}
