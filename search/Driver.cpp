// The search driver (see search/Driver.h): the root scoring pass, iterative deepening with
// aspiration windows, the stop conditions of the clock, the depth limit and the book, the root's
// own part of the node procedure, and the draw pull kept across moves.
#include "search/Driver.h"
#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

#include "board/Attacks.h"
#include "board/GameRecord.h"
#include "board/Legality.h"
#include "board/MakeMove.h"
#include "board/MoveText.h"
#include "board/PositionKey.h"
#include "book/Book.h"
#include "search/MoveOrder.h"
#include "search/Node.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

namespace {

// The root scoring pass and the depths derived from the horizon.
constexpr int ScoringPassDepth = 3;
constexpr int ScoringPassHorizonLess2 = 75;  // no quiet-move reduction in the scoring pass
constexpr int SelectiveHorizon = 4;          // deeper iterations are selective and use the table
constexpr int ExtensionLimitBase = 65;       // the path's extensions stop at this minus the horizon
constexpr int LateDepthDistance = 6;
constexpr int MinLateDepth = 3;
constexpr int32_t RootPieceMaterialGate = 960;  // lazy evaluation needs both sides above it at the root
constexpr int NoLazyEvalDepth = 1000;
constexpr int MinLazyEvalDepth = 6;
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
constexpr int32_t BookMoveBonus = 20;  // path bonus of the preferred book move at its root node

// The clock.
constexpr int TimeStopMinDepth = 6;        // below it the clock never cuts an iteration short
constexpr double EasyMoveTimeDivisor = 6;  // an easy move takes a sixth of the soft limit
constexpr double DeepTimeDivisor = 1.5;    // past the minimum stop depth, two thirds of it
constexpr int32_t ScoreDropMargin = 20;    // a drop this large buys time up to the soft limit
constexpr int32_t TimeStopScoreMargin = 15;
constexpr int SoleMoveDepth = 6;        // a sole legal move is played from this depth on
constexpr int SoleMovePonderDepth = 6;  // after a ponder hit, deeper than this
constexpr int LinesPerPoll = 8;
constexpr int PostLineMoves = 20;     // moves of the thinking output after a new best root move
constexpr int BookPostLineMoves = 2;  // and after a book decision
constexpr int PollInterval = 32768;   // nodes between two polls of input and clock
constexpr double MillisecondsPerDay = 86400000.0;

constexpr int RootPreMoveCount = 20;  // the best root moves searched first, in table order
constexpr int MaxHashAge = 32000;

// The draw pull: a quiet move with a modest score that does not beat the recent average.
constexpr int DrawPullMinDepth = 5;
constexpr int32_t DrawPullMinScore = 40;
constexpr int32_t DrawPullAboveAverage = 30;
constexpr int32_t MaxDrawishCap = 150;

// An early step of the engine's king while the opponent keeps a lot of material.
constexpr int32_t KingStepMaterialGate = 1650;
constexpr int32_t EarlyKingStepPenalty = 3;

bool NoInput() { return false; }
void NoAction() {}
bool NothingPending() { return false; }
double NoTime() { return 0.0; }
void NoPostLine(int) {}
void NoAnalysisLine(int, bool) {}
void NoSearchLogLine(int) {}

uint64_t ClockSeed() { return uint64_t(Hooks.clockDays() * MillisecondsPerDay); }

struct HelperCrew {
  std::vector<SearchThread> records;  // one per helper, sized when the thread count changes
  std::vector<std::thread> threads;
  int searched = 0;  // helpers of the last search, whose nodes count in its total
};
HelperCrew Crew;

}  // namespace

SearchThread Tree;
SearchLimits Limits;

SearchHooks SilentHooks() {
  return SearchHooks{NoInput,    NoAction,       NothingPending,  NoTime,  NoAction, NoTime,
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
  Tree = SearchThread{};
  Tree.isMain = true;
  Tree.pollMask = PollInterval - 1;
  Limits = SearchLimits{};
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
// The root node.

bool SetUpRoot(SearchThread &t, const Board &board, EvalState &state, Move lastMove) {
  t.rootMovesDone = 0;
  state.extensionCredit = RootExtensionCredit;
  t.extensionLimit = ExtensionLimitBase - t.horizon;
  t.lateDepth = std::max(t.horizon - LateDepthDistance, MinLateDepth);
  t.horizonLess4 = t.horizonLess2 - 2;
  bool bothHavePieces = state.enginePieceMaterial > RootPieceMaterialGate &&
                        state.opponentPieceMaterial > RootPieceMaterialGate;
  if (t.rootScoringPass) t.rootBothHavePieces = bothHavePieces;
  t.lazyEvalDepth = Limits.fullEvalToggle || !t.rootBothHavePieces ? NoLazyEvalDepth
                                                                   : std::max(t.horizon, MinLazyEvalDepth);
  t.context.lazyEvalDepth = t.lazyEvalDepth;
  t.rootInCheck = IsAttacked(board, board[EngineKingSquare], OpponentSide);
  if (!t.rootScoringPass) return true;

  // The opponent's move: its king must not be attacked, castling not through check (a real move
  // gets the full attack test).
  if (!IsLegalAfterMove(board, lastMove, OpponentSide, lastMove.kind != 0)) return false;
  Game.currentBoard = board;
  bool lastMoveIrreversible =
      lastMove.kind == CaptureMove || lastMove.kind == EnPassantMove || lastMove.promotion != 0;
  if (lastMoveIrreversible) t.drawishCap = 0;
  t.context.drawishCap = t.drawishCap;
  SetRootValues(t.context, board, state);
  t.rootMoveCount = 0;
  // The opponent's move joins the game history.
  uint8_t rootMover = lastMove.kind == 0 ? 0 : lastMove.promotion != 0 ? OpponentPawn : board[lastMove.to];
  CountFiftyMoveRule(rootMover, lastMove.kind);
  uint64_t key = ComputeKey(board);
  HistoryPush(board, 1, uint32_t(key), uint32_t(key >> 32));
  for (auto &row : t.quietSeen)
    for (bool &seen : row) seen = false;
  ClearBookRecord();
  t.bookMatchCount = 0;
  Move bookMove =
      Books.useBook ? BookProbe(board, Game.engineIsWhite, Limits.gameRecordCount, ClockSeed()) : NullMove;
  Move mateMove;
  if (bookMove.kind != 0) {
    BookRecord.status = BookMovesFound;
  } else if (TTFindMateMove(board, key, mateMove)) {
    BookRecord.slot[0] = mateMove;
    BookRecord.status = BookStoredMate;
  }
  return true;
}

bool RootMoveTerms(SearchThread &t, Move move, uint8_t piece, bool inCheck, EvalState &state,
                   int32_t &value) {
  if (BookRecord.status == BookMovesFound) {
    if (!BookRecord.noBonus && move == BookRecord.slot[0]) state.positionalAdjust += BookMoveBonus;
    bool candidate = IsBookCandidate(move);
    if (t.rootScoringPass) {
      if (candidate) t.bookMatchCount++;
    } else if (t.bookMatchCount > 0 && !candidate) {
      value = -Infinite;  // once the book has spoken, only its moves are searched
      return true;
    }
  }
  if (BookRecord.status == BookForcedReply && CompactMoveText(move) != BookRecord.forcedReply) {
    value = 0;
    return true;
  }
  // The engine's king leaving its back row, or stepping to the b- or g-pawn's square, early.
  bool earlyKingSquare = (move.to >= 21 && move.to <= 28) || move.to == 32 || move.to == 37;
  if (t.selectiveMode && piece == EngineKing && move.kind == QuietMove && !inCheck &&
      state.opponentPieceMaterial > KingStepMaterialGate && earlyKingSquare)
    state.positionalAdjust -= EarlyKingStepPenalty;
  return false;
}

int LoadRootPreMoves(SearchThread &t, Move *preMoves) {
  Move follow = t.followLine.move[1];
  int n = t.rootMoveCount;
  if (!follow.IsNull()) {
    // The previous iteration's best move goes last, to be searched first.
    for (int i = 1; i < n; i++) {
      if (t.rootMoveTable[i].move == follow) {
        RootMove moved = t.rootMoveTable[i];
        for (int k = i; k < n; k++) t.rootMoveTable[k] = t.rootMoveTable[k + 1];
        t.rootMoveTable[n] = moved;
        break;
      }
    }
  }
  int count = 0;
  for (int i = std::max(1, n - (RootPreMoveCount - 1)); i <= n; i++)
    preMoves[count++] = t.rootMoveTable[i].move;
  return count;
}

int32_t RootMoveScore(const SearchThread &t, Move move, int32_t score) {
  if (!t.rootScoringPass) return score;
  if (!BookRecord.forcedReply.empty() && BookRecord.forcedReply == CompactMoveText(move)) {
    BookRecord.chosen = true;
    BookRecord.status = BookForcedReply;
    return Infinite;
  }
  if (move == BookRecord.slot[0] && t.rootBest < Infinite && score < Infinite &&
      !(BookRecord.status == BookMovesFound && !BookRecord.noBonus)) {
    BookRecord.chosen = true;
    return BookMoveScore;
  }
  return score;
}

void RootMoveSearched(SearchThread &t, Move move, int32_t score, bool improved,
                      const PrincipalLine &childLine, PrincipalLine &line, int32_t &value, bool &cutoff) {
  if (t.rootScoringPass) {
    // Every root move gets an exact score: the root's value opens again after each.
    if (t.rootMoveCount < RootMoveLimit) {
      t.rootMoveCount++;
      t.rootMoveTable[t.rootMoveCount] = RootMove{move, score - t.rootEvaluation};
    }
    if (score > t.rootBest) {
      t.rootBest = score;
      ExtendLine(t.bestLine, move, childLine, 1);
    }
    if (!cutoff) value = -Infinite;
  } else if (improved || t.rootMovesDone == 0) {
    t.rootBest = score;
    // A mate found by the failed iteration stands until the research finds one as good.
    if (t.rootMovesDone == 0 && t.researchCount > 0 && t.failScore >= MateThreshold &&
        t.rootBest < t.failScore) {
      value = t.rootBest = t.failScore;
      line = t.failLine;
      cutoff = true;
    }
    t.bestLine = line;
    if (t.isMain && (t.horizon >= SelectiveHorizon || t.rootBest >= MateThreshold))
      Hooks.postLine(PostLineMoves);
    if (t.isMain && Limits.testMode && t.horizon > SelectiveHorizon) Hooks.searchLogLine(t.rootMovesDone);
  }
  bool anotherBefore = t.rootMovesDone > 0;
  t.rootMovesDone++;
  if (t.isMain && Signals.timedMode && !Limits.testMode && t.horizon >= TimeStopMinDepth &&
      t.horizon >= Limits.minTimeStopDepth && anotherBefore && t.researchCount == 0 &&
      t.iterationScore[t.horizon - 1] - TimeStopScoreMargin < t.rootBest &&
      Hooks.elapsedTime() + t.ponderTimeCredit >= Limits.softTimeLimit) {
    Signals.stopSearch = Signals.stoppedByTime = true;
  }
}

bool RootMoveAllowed(Move move) {
  if (Limits.rootMoveCount <= 0) return true;
  for (int i = 0; i < Limits.rootMoveCount; i++)
    if (Limits.rootMoves[i] == move) return true;
  return false;
}

bool PollAndTestTime(SearchThread &t) {
  if (!t.isMain) return SearchStopped();  // the main thread alone reads input and the clock
  t.pollCounter++;
  if ((t.pollCounter & t.pollMask) != 0) return false;
  // The cap waits for the scoring pass's first root move, so that the search has a move to play.
  if (Limits.nodeCap > 0 && t.nodeCount >= Limits.nodeCap && (!t.rootScoringPass || t.rootMovesDone > 0)) {
    Signals.stopSearch = Signals.stoppedByTime = true;
    return true;
  }
  // Every line that has arrived is handled now: a move, its clock lines and a command come
  // together, and a ponder hit must not wait for further polls.
  if (!Signals.stopSearch && !t.rootScoringPass && Hooks.inputWaiting()) {
    int lines = 0;
    do Hooks.pollInput();
    while (++lines < LinesPerPoll && !Signals.stopSearch && Signals.commandText.empty() &&
           Hooks.inputWaiting());
  }
  if (t.rootScoringPass) return Signals.stopSearch;
  if (Limits.testMode) {
    if (Limits.testTimed && Hooks.elapsedTime() >= Limits.testTimeLimit) {
      Signals.stopSearch = Signals.stoppedByTime = true;
      return true;
    }
    return Signals.stopSearch;
  }
  if (Signals.timedMode && Hooks.elapsedTime() + t.ponderTimeCredit >= Limits.hardTimeLimit) {
    Signals.stopSearch = Signals.stoppedByTime = true;
    return true;
  }
  if (!Signals.pondering || Signals.commandText.empty()) return Signals.stopSearch;
  if (Signals.commandText != Signals.ponderMoveText) {
    Signals.stopSearch = Signals.stoppedByPonderMiss = true;
    return true;
  }
  // Ponder hit: the search goes on as the engine's own thinking.
  Signals.timedMode = true;
  Signals.pondering = false;
  Signals.ponderMoveText.clear();
  Signals.ponderDisplayMove.clear();
  t.ponderHitTime = Hooks.elapsedTime();
  t.ponderTimeCredit = t.ponderHitTime / 2;
  Hooks.postLine(PostLineMoves);
  bool soleMoveDeepEnough = t.legalRootMoves <= 1 && t.horizon > SoleMovePonderDepth;
  bool enoughAlready = t.rootMovesDone == 0 && t.horizon > Limits.minTimeStopDepth && t.researchCount == 0 &&
                       t.iterationScore[t.horizon - 1] >= t.iterationScore[t.horizon - 2] - ScoreDropMargin &&
                       t.ponderTimeCredit > Limits.softTimeLimit / 2;
  Hooks.restartClock();
  // The clock may have run out while the engine pondered: then the move is due at once.
  bool outOfTime = t.ponderTimeCredit >= Limits.hardTimeLimit;
  if (soleMoveDeepEnough || enoughAlready || outOfTime) {
    Signals.stopSearch = Signals.stoppedByTime = true;
    return true;
  }
  return Signals.stopSearch;
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
  Move m = Tree.driverLine.move[1];
  if (BookRecord.status == BookMovesFound && Tree.researchCount == 0 && Tree.bookMatchCount > 0) {
    SeedRandom(ClockSeed());
    int r = BookStopDepth + Random(2);
    bool keepSearching =
        r > Tree.horizon && (Tree.bookMatchCount != 1 || Tree.horizon < BookSingleMatchDepth);
    if (!keepSearching && IsBookCandidate(m)) return false;
  }
  if (Signals.stopSearch) return false;
  if (Tree.horizon > Limits.maxHorizon || (Tree.horizon == Limits.maxHorizon && Tree.researchCount == 0))
    return false;
  if (Tree.rootBest >= MateThreshold && Tree.researchCount == 0) return false;

  if (!Signals.timedMode || Limits.testMode || Tree.researchCount >= 1) return true;
  double t = Hooks.elapsedTime() + Tree.ponderTimeCredit;
  double soft = Limits.softTimeLimit;
  if (Tree.horizon >= SoleMoveDepth && Tree.legalRootMoves < 2 && Tree.rootBest >= LostScore) return false;
  bool deepEnough = Tree.horizon >= Limits.minTimeStopDepth;
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
static void SearchIteration(SearchThread &t, const Board &board, const EvalState &state, Move lastMove,
                            PrincipalLine &line, bool &legal) {
  t.selectiveMode = t.horizon > SelectiveHorizon;
  SetAspirationWindow(t);
  t.horizonLess2 = std::max(t.horizon - 2, 2);
  t.ttDepthLimit = t.selectiveMode ? t.horizon : 0;

  t.previousBest = t.rootBest;
  t.rootBest = -Infinite;
  line = PrincipalLine{};
  int32_t value = 0;
  Search(t, board, 0, 0, 0, Infinite, t.aspirationLow, state, lastMove, line, value, legal);
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
void HelperSearch(int helper, const Board &board, const EvalState &state, Move lastMove) {
  SearchThread &t = Crew.records[helper];
  PrincipalLine line{};
  bool legal = true;
  while (!SearchStopped()) {
    t.followLine = t.driverLine;
    if (t.researchCount == 0) {
      t.horizon++;
      while (HelperSkipsDepth(helper, t.horizon)) t.horizon++;
    }
    if (t.horizon > Limits.maxHorizon) return;
    SearchIteration(t, board, state, lastMove, line, legal);
    if (SearchStopped()) return;
    t.iterationScore[t.horizon] = t.rootBest;
    TakeAspirationResult(t, line);
    t.driverLine = line;
  }
}

// Starts the helpers of a search from the main thread's record; the destructor stops and joins
// them, so that no helper outlives the search that started it, whichever way that search ends.
struct HelperRun {
  HelperRun(int threadCount, const Board &board, const EvalState &state, Move lastMove) {
    int helpers = std::clamp(threadCount, 1, MaxSearchThreads) - 1;
    if (int(Crew.records.size()) != helpers) Crew.records.resize(helpers);
    for (int i = 0; i < helpers; i++) {
      Crew.records[i] = Tree;
      Crew.records[i].isMain = false;
      Crew.records[i].nodeCount = 0;
    }
    Crew.searched = helpers;
    HelpersHalt = false;
    for (int i = 0; i < helpers; i++)
      Crew.threads.emplace_back(HelperSearch, i, std::cref(board), std::cref(state), lastMove);
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

bool ChooseMove(const Board &board, const EvalState &state, Move lastMove) {
  bool legal = true;
  PrincipalLine line{};
  int32_t value = 0;

  // The main thread shares the cores with its helpers: it polls after proportionally fewer nodes of
  // its own, so that input and the clock are looked at as often as on one thread.
  int pollInterval = PollInterval;
  for (int threads = 1; threads < Limits.threadCount && pollInterval > 1; threads *= 2) pollInterval /= 2;
  Tree.pollMask = Limits.nodeCap > 0 ? 0 : uint64_t(pollInterval) - 1;

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
  Search(Tree, board, 0, 0, 0, Infinite, -Infinite, state, lastMove, line, value, legal);

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
    if (TT.hashAge > MaxHashAge) TTClear();
  }

  // A book or forced decision needs no deeper search.
  if (BookRecord.chosen) {
    Tree.rootBest = BookRecord.status > BookForcedReply ? MateThreshold : 0;
    Hooks.postLine(BookPostLineMoves);
    Finish();
    return true;
  }
  if (Tree.legalRootMoves <= 0) {
    Finish();
    return true;
  }

  // Iterative deepening, the helpers beside it
  HelperRun helpers(Limits.threadCount, board, state, lastMove);
  while (KeepDeepening()) {
    Tree.followLine = Tree.driverLine;
    if (Tree.horizon <= MaxAnalysisHorizon) Hooks.analysisLine(LineLength - 1, true);
    if (Tree.researchCount == 0) Tree.horizon++;
    SearchIteration(Tree, board, state, lastMove, line, legal);

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
