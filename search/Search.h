// The search: one root scoring pass at depth 3 that gives every root move an exact score, then
// iterative deepening from depth 4 with aspiration windows. The node procedure is minimax with two
// bounds (not negamax): odd plies are the engine's and maximise, even plies the opponent's and
// minimise, and every score is from the engine's side. A pawn is worth 95; +-32000 are the open
// bounds, 32002 - 2N is a mate in N for the engine.
//
// Everything below is one program-wide record for the search; nodes keep their board and
// EvalState as values and nothing is allocated while the search runs.
#pragma once

#include <cstdint>
#include <string>

#include "board/Board.h"
#include "eval/RootInputs.h"

constexpr int32_t Infinite = 32000;      // the open bound; also mate on the board
constexpr int32_t MateThreshold = 31000; // scores from here on are mates (or book decisions)
constexpr int MaxPly = 76;               // per-ply tables 0..75
constexpr int LineLength = 46;           // a principal line: entry 0 unused, 1..45
constexpr int KillerPlies = 46;          // killers for plies 0..45
constexpr int RootMoveLimit = 400;
constexpr int PollInterval = 32768;

struct PrincipalLine {
  Move move[LineLength];  // move[1] is the node's move, move[2..45] the continuation
};

struct KillerSlot {
  Move move;
  uint8_t piece;  // the piece that made it
};

struct RootMove {
  Move move;
  int32_t score;  // exact score of the scoring pass minus the root's static evaluation
};

// What the search needs from the engine around it: the driver fills these at start-up.
struct SearchHooks {
  bool (*inputWaiting)();        // a protocol line can be read now (or one is pending)
  void (*pollInput)();           // the in-search command handler
  bool (*newOrQuitPending)();    // the pending line is "new" or "quit": leave at once
  double (*elapsedTime)();       // days since the search clock started
  void (*restartClock)();
  double (*clockDays)();         // the clock, for seeding the random choices
  void (*postLine)(int moves);   // thinking output
  void (*analysisLine)(int moves, bool withScore);
  void (*searchLogLine)(int count);
  void (*iterationDone)();       // after every completed iteration (may be null)
  void (*adviseLargePages)(void *address, size_t bytes);  // for the tables when sized (may be null)
};
extern SearchHooks Hooks;
SearchHooks SilentHooks();  // no input, no clock, no reports: the search alone

// Limits and switches the driver sets before each search.
struct SearchLimits {
  double softTimeLimit;
  double hardTimeLimit;
  int32_t minTimeStopDepth;
  int32_t maxHorizon;
  bool testMode;
  bool testTimed;
  double testTimeLimit;
  bool fullEvalToggle;
  bool openingGuidance;  // the engine's development is incomplete on a wing
  int32_t gameRecordCount;  // move pairs of the game, for the book
};
extern SearchLimits Limits;

struct SearchState {
  // Iteration.
  int32_t horizon;
  bool selectiveMode;      // horizon > 4: extensions, reductions, null move, the table
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
  PrincipalLine driverLine;   // the line of the last iteration, followed by the next
  RootMove rootMoveTable[RootMoveLimit + 1];  // from index 1
  int32_t rootMoveCount;
  Move easyMove;
  bool rootScoringPass;
  int32_t rootMovesDone;
  int32_t legalRootMoves;
  int32_t rootEvaluation;     // totalScore of the root
  int32_t bookMatchCount;     // root moves of the scoring pass that are book candidates
  bool rootInCheck;
  bool rootBothHavePieces;     // both sides had more than 960 of piece material at the root
  bool escapeMark;            // set by the knight and bishop/rook escape extensions
  int32_t depthReached;       // horizon of the finished search

  // Counters.
  uint64_t nodeCount;
  uint64_t pollCounter;

  // Per-ply tables, index = ply; the move and the moving piece at the ply the move was made from.
  Move plyMove[MaxPly + 1];
  uint8_t plyPiece[MaxPly + 1];
  int8_t plyInCheck[MaxPly + 1];
  int32_t probeCounter[MaxPly + 1];
  const Board *plyBoard[MaxPly + 1];
  uint64_t plyKey[MaxPly + 1];

  KillerSlot killerTable[KillerPlies][4];  // slot 3 is the strongest
  bool quietSeen[99][99];                  // quiet moves that cut off near the root

  // Draw pull.
  int32_t drawishCap;
  int32_t recentScores[4];

  // The game's history count and fifty-move count before the opponent's move was pushed.
  int32_t savedHistoryCount;
  int32_t savedFiftyMoveCount;

  double ponderHitTime;    // time spent pondering before a ponder hit
  double ponderTimeCredit; // half of it, added to every time test
  EvalContext context;     // what the evaluation reads besides the node
};
extern SearchState Tree;

void ResetSearchState();        // a new process or a new game: everything empty
void ResetSearchForNewGame();   // draw pull and recent scores, the line
void PrepareMoveSearch();       // per move: counters, best line, killers
// Chooses the engine's move: board is the game position after the opponent's move (lastMove, or
// NullMove), state its EvalState. Returns false when the opponent's move was illegal. The move is
// the first of Tree.bestLine.
bool ChooseMove(const Board &board, const EvalState &state, Move lastMove);
// Draw pull after each move: the depth reached and the move played.
void UpdateDrawishCap(int32_t depth, Move move, int32_t score);

// The node procedure; ply and depth are the parent's.
void Search(const Board &parentBoard, int ply, int depth, int movesSearchedAtParent, int32_t bound,
                int32_t init, const EvalState &parentState, Move move, PrincipalLine &line, int32_t &value,
                bool &legal);
