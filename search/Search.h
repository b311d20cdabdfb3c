// The search's records: the scores and their encoding, the principal line, what a search starts
// from (RootInput) and gives back (SearchResult), and the record of one search thread that the
// driver (search/Driver.h), the root (search/Root.h) and the node procedure (search/Node.h) share. The node
// procedure is minimax with two bounds (not negamax): odd plies are the engine's and maximise, even plies the
// opponent's and minimise, and every score is from the engine's side.
//
// Nodes keep their board and EvalState as values and nothing is allocated while the search runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/GameRecord.h"
#include "board/Move.h"
#include "board/Squares.h"
#include "eval/RootInputs.h"

// Scores: a pawn is worth 95. +-Infinite are the open bounds; Infinite is also mate on the board.
// The engine checkmated at ply p scores p - MateBase, the opponent checkmated at ply p scores
// MateBase + 1 - p, so a mate in N for the engine is MateBase + 1 - 2N.
constexpr int32_t Infinite = 32000;
constexpr int32_t MateBase = 32001;
constexpr int32_t MateThreshold = 31000;  // scores above it are mates; the root's book decisions use it
constexpr int32_t BookMoveScore = Infinite - 1;  // a root move taken from the book record
constexpr int32_t MoveOnlyScore = MateBase;      // a table score that never cuts off: only its move counts
constexpr int32_t LostScore = -1100;             // below it the engine counts the game as lost

constexpr int MaxPly = 76;                    // per-ply tables 0..75
constexpr int LineLength = 46;                // a principal line: entry 0 unused, 1..45
constexpr int LinePlyLimit = LineLength - 1;  // lines, killers and the followed line reach this ply
constexpr int KillerPlies = 46;               // killers for plies 0..45
constexpr int KillerSlots = 4;                // slot 3 is the strongest
constexpr int RootMoveLimit = 400;
constexpr int QuietSeenPly = 5;  // quiet moves that cut off or come from the table are marked up to here
constexpr int SquareLimit = EngineH8 + 1;  // tables by a move's squares
constexpr int RecentScoreCount = 4;        // the last root scores the draw pull averages

struct PrincipalLine {
  Move move[LineLength];  // move[1] is the node's move, move[2..45] the continuation
};

// The limits and switches of one search, set by the game flow from its clock and settings.
struct SearchLimits {
  double softTimeLimit;
  double hardTimeLimit;
  int32_t minTimeStopDepth;
  int32_t maxHorizon;
  bool testMode;
  bool testTimed;
  double testTimeLimit;
  bool fullEvalToggle;
  // When rootMoveCount > 0, the root searches only these moves (the interface's choice).
  int32_t rootMoveCount;
  Move rootMoves[MoveListSize];
  int32_t threadCount;  // search threads, the main one included (0 or 1: the main thread alone)
  // A cap on the main thread's nodes, set only by the fuzz targets, whose searches must stay short
  // whatever position the input builds (0: no cap, as in every game). With a cap the main thread
  // polls at every node, and a search that reaches it (with a root move scored) ends as one whose
  // time is up.
  uint64_t nodeCap;
};
constexpr int MaxSearchThreads = 64;

// What a search starts from, prepared by the game flow: the root position after the opponent's
// move and its EvalState, the game's positions since its last irreversible ply (the root's own
// included, for the repetitions near the root) and its fifty-move count with that move counted,
// the engine's reply when the game supplies one, and the limits. The game flow has probed the
// book into BookRecord already; the search reads the input and never writes the game.
struct RootInput {
  Board board;
  EvalState state;
  Move lastMove;                     // the opponent's move into the root (NullMove: none)
  const GameHistoryRecord *history;  // never null while a search runs
  int32_t fiftyMoveCount;            // plies since the last irreversible one, lastMove counted
  bool openingGuidance;              // the engine's development is incomplete on a wing
  std::string suppliedReply;         // engine move text played without a search ("": none)
  SearchLimits limits;
};

// What a search gives back. move and ponderMove are the first two moves of the best line.
struct SearchResult {
  bool legal;  // false: the opponent's move left its king in check or castled through check
  Move move;   // NullMove when the engine has no legal move
  Move ponderMove;
  int32_t score;   // from the engine's side
  int32_t depth;   // the horizon of the last iteration
  uint64_t nodes;  // over all threads
};

// Lines are cleared and extended at every node: whole-record copies. Clearing copies an empty line,
// since a memset of this size compiles to a string instruction that is slow to start.
inline constexpr PrincipalLine EmptyLine{};
inline void ClearLine(PrincipalLine &line) { std::memcpy(&line, &EmptyLine, sizeof line); }
// The line of a node at ply: move, then the child's line (the continuation only while ply < 45).
inline void ExtendLine(PrincipalLine &line, Move move, const PrincipalLine &child, int ply) {
  line.move[1] = move;
  if (ply < LinePlyLimit)
    std::memcpy(&line.move[2], &child.move[1], sizeof(Move) * (LineLength - 2));
  else
    std::memset(static_cast<void *>(&line.move[2]), 0, sizeof(Move) * (LineLength - 2));
}

struct KillerSlot {
  Move move;
  uint8_t piece;  // the piece that made it
};

struct RootMove {
  Move move;
  int32_t score;  // exact score of the scoring pass minus the root's static evaluation
};

// The narrowed windows that enclose a node on its own side of the path. A node copies them from
// the node two plies up and adds its own, so each says whether this side has already narrowed the
// window on the way down. The transposition table stores nothing that such a window proves.
struct ProbeFlags {
  bool scout;             // a null-window scout at full depth
  bool reducedProbe;      // a null-window probe made shallower
  bool generalReduction;  // the general reduction, tried at most once per side on a path

  bool Any() const { return scout || reducedProbe || generalReduction; }
};

// A counter that one thread writes and others may read while it runs (the node counts summed for
// the thinking output): relaxed atomic loads and stores, which cost what plain ones do.
class SharedCounter {
 public:
  SharedCounter() = default;
  SharedCounter(const SharedCounter &other) : value_(other.Get()) {}
  SharedCounter &operator=(const SharedCounter &other) {
    Set(other.Get());
    return *this;
  }
  SharedCounter &operator=(uint64_t value) {
    Set(value);
    return *this;
  }
  void operator++(int) { Set(Get() + 1); }  // only the owning thread counts
  operator uint64_t() const { return Get(); }
  uint64_t Get() const { return value_.load(std::memory_order_relaxed); }

 private:
  void Set(uint64_t value) { value_.store(value, std::memory_order_relaxed); }
  std::atomic<uint64_t> value_{0};
};

// One ply of a thread's path: what the node at this ply made and saw, read by the nodes below it.
struct PlyEntry {
  Move move;                        // the move made from this ply (into the child)
  uint8_t piece;                    // the piece that made it
  bool inCheck;                     // the side to move at this ply is in check
  ProbeFlags probe;                 // the narrowed windows of this side on the path
  const Board *board;               // the node's board, for the repetitions on the path
  uint64_t key;                     // the node's key (0 while the node is beyond the table's depth)
  KillerSlot killers[KillerSlots];  // plies 0..45 only
};

// Everything one search thread writes. The main thread's record (Tree) also keeps what the game
// flow and the reports read between searches; a helper thread starts each search as a copy of the
// main thread's record after the root scoring pass and searches on its own copy. The node search
// reaches the record only through its parameter, never through the global.
struct SearchThread {
  const RootInput *root;  // the input of the running search (an empty one between searches)

  // Iteration.
  int32_t horizon;
  bool selectiveMode;  // horizon > 4: extensions, reductions, null move, the table
  int32_t horizonLess2;
  int32_t horizonLess4;
  int32_t ttDepthLimit;
  int32_t extensionLimit;
  int32_t lateDepth;
  int32_t lazyEvalDepth;
  int32_t aspirationLow;
  int32_t aspirationHigh;
  int32_t researchCount;
  bool failedLow;
  int32_t iterationScore[MaxPly + 2];
  int32_t rootBest;
  int32_t previousBest;
  PrincipalLine bestLine;
  PrincipalLine followLine;
  PrincipalLine failLine;
  int32_t failScore;
  PrincipalLine driverLine;                   // the line of the last iteration, followed by the next
  RootMove rootMoveTable[RootMoveLimit + 1];  // from index 1
  int32_t rootMoveCount;
  Move easyMove;
  bool rootScoringPass;
  int32_t rootMovesDone;
  int32_t legalRootMoves;
  int32_t rootEvaluation;  // totalScore of the root
  int32_t bookMatchCount;  // root moves of the scoring pass that are book candidates
  bool rootInCheck;
  bool rootBothHavePieces;  // both sides had more than 960 of piece material at the root
  // Set by the knight and bishop/rook escape extensions and read by the next quiet-move reduction
  // the thread makes, at whatever node that is: it carries over from node to node on purpose of no
  // one, but the engine plays with it, so each thread keeps its own.
  bool escapeMark;
  int32_t depthReached;  // horizon of the finished search
  bool isMain;           // the thread that polls, reports and decides the move

  // Counters.
  SharedCounter nodeCount;
  int32_t selectiveDepth;  // the deepest ply a node of this search reached (the root is ply 1)
  uint64_t pollCounter;
  uint64_t pollMask;  // the main thread polls when pollCounter has none of these bits

  PlyEntry stack[MaxPly + 1];                // index = ply
  bool quietSeen[SquareLimit][SquareLimit];  // quiet moves that cut off near the root

  // Draw pull (main thread: kept across moves).
  int32_t drawishCap;
  int32_t recentScores[RecentScoreCount];

  double ponderHitTime;     // time spent pondering before a ponder hit
  double ponderTimeCredit;  // half of it, added to every time test
  EvalContext context;      // what the evaluation reads besides the node
};
extern SearchThread Tree;  // the main thread's record
