// The engine as its front ends drive it. Each front end (xboard, UCI) reads its protocol's text,
// turns it into calls on this interface and formats what the engine reports through the record it
// installs at start-up; below it the game flow, the clock and the search know no protocol text.
//
// A front end that keeps the game's moves and the clock itself (UCI) gives a position as a start
// and the moves played from it, and asks for a search of the side to move's answer within the
// limits it names. A front end whose interface leaves the game to the engine (xboard) has the
// engine keep the game move by move, run the engine's own command language (a move to answer, a
// take-back, a new game: the answers come as the game's events) and keep the clock from the
// interface's level and time lines.
//
// The game follows the positions it is given: a position that continues the last one (the same
// start, the engine still the side to move, the moves so far a prefix) plays only the new moves,
// taking back what differs, so the transposition tables and the game's history carry over from
// move to move as in a game under xboard. Any other position starts a game of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "board/Board.h"
#include "driver/GameEvents.h"

// What a front end hands the engine: how the search reads the interface while it runs and what it
// reports, and the game flow's events. The search's clock is the engine's own under every front end.
struct FrontEnd {
  bool (*inputWaiting)();       // a line can be read now (or one is pending)
  void (*pollInput)();          // acts on the line while the search runs
  bool (*newOrQuitPending)();   // the pending line ends the game or the run: leave at once
  void (*postLine)(int moves);  // a new best root move (thinking output)
  void (*analysisLine)(int moves, bool withScore);  // the engine's own message line
  void (*searchLogLine)(int count);                 // a line of the test mode's search log
  void (*iterationDone)();                          // after every completed iteration (may be null)
  GameEvents events;
};

// A position as the interface describes it, checked: the start and its side to move, and the
// moves from it in the engine's move text (E2E4, E7E8D), each legal where it is played.
struct EnginePosition {
  Board start;       // seen from the side to move
  bool whiteToMove;  // at the start
  bool initial;      // the start is the game's initial position
  std::vector<std::string> moves;
};

// What one search is asked to respect. Times are days. With a clock the limits come from the same
// time allocation as under xboard; a fixed move time is used to the end (less a small margin);
// depth and nodes cap any search; an infinite or ponder search is ended by the front end (stop,
// or a ponder hit that turns it into a clock search).
struct EngineSearchLimits {
  bool clock = false;  // timeLeft, increment and movesToGo are given
  double timeLeft = 0;
  double increment = 0;
  int movesToGo = 0;    // 0: the rest of the game
  double moveTime = 0;  // > 0: a fixed time for this move
  int depth = 0;        // 0: no cap
  uint64_t nodes = 0;   // 0: no cap
  bool infinite = false;
  bool ponder = false;                   // the position's last move is the predicted reply
  std::vector<std::string> searchMoves;  // engine move texts; empty: every move
};

constexpr int MaxSearchDepth = 50;                 // the deepest iteration a search is allowed
constexpr double MoveTimeMargin = 0.03 / 86400.0;  // kept back from a fixed move time
constexpr int MinHashMegabytes = 4;                // the two tables at the smallest size
constexpr int MaxHashMegabytes = 256;              // and at the largest
constexpr const char *InitialFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Start-up: the configuration found (false when it is nowhere), the tables built and sized from it,
// the front end installed, the books loaded, every record reset to a new game, the configuration's
// switches read.
bool EngineStartUp(const FrontEnd &frontEnd);
void EngineInstallFrontEnd(const FrontEnd &frontEnd);  // the search's hooks and the game's events

// The start position from a FEN text (empty: the initial position) and the moves, each in the
// interface's notation (e2e4, e7e8q); false with the reason in error, and position unchanged,
// when the text is refused or a move is not legal where it stands.
bool ReadEnginePosition(std::string_view fen, const std::vector<std::string> &moves, EnginePosition &position,
                        std::string &error);
void EngineNewGame();  // the next position starts a new game (cleared tables)
// Searches the side to move's answer in the position. Returns false when the engine cannot play
// the position (it never happens for a position ReadEnginePosition accepted). The answer is
// Tree.bestLine. The front end's poll stops the search (EngineStop) or turns a ponder search into
// the engine's own (EnginePonderHit).
bool EngineSearch(const EnginePosition &position, const EngineSearchLimits &limits);
void EngineStop();
void EnginePonderHit();  // nothing when the search was not pondering
bool EngineSearchPondering();
bool EngineNodeLimitReached();     // the node cap of this search is spent (the search is then stopped)
int EngineSetHash(int megabytes);  // the largest table size that fits; returns the megabytes in use
int EngineHashMegabytes();
void EngineClearHash();
void EngineSetOwnBook(bool on);
void EngineSetThreads(int count);  // search threads, 1 to MaxThreadCount (the configuration's CPUS=)
int EngineThreads();

// The game kept by the engine, move by move (xboard). Moves are in the interface's notation
// (e2e4, e7e8q) unless said otherwise.
bool EngineSetUpGame(
    std::string_view fen);  // the position as a game of its own; false: refused, nothing changed
bool EnginePlayGameMove(std::string_view move);  // for the side to move; false: illegal or the game is full
bool EngineTakeBackGameMove();                   // whoever made it; false: no move to take back
void EngineSetSide(bool engineIsWhite);          // the side the engine plays in the next game
// The engine takes the side to move and answers the game as it stands (pondering after its move
// when that is on). False, nothing done, when the game is longer than the engine's record keeps.
bool EnginePlayFromGame();
// One command of the engine's own language (driver/Interpreter.h): a move of the opponent's to
// answer (E2E4, engine move text), "/B" to take back a pair, "/WBNEW" for a new game, ...
void EngineRunCommand(const std::string &command);
// While the engine searches: the opponent's move arrives (engine move text: a ponder hit when the
// engine predicted it, a miss otherwise), or a command interrupts the search (the engine then plays
// its best move so far, unless it was pondering).
void EngineOpponentMove(const std::string &move);
void EngineInterrupt();
// The clock from the interface's lines, as text in their own units (driver/Clock.h): "level"'s
// line, the engine's time in centiseconds, a fixed time per move in seconds.
void EngineSetLevel(const std::string &levelLine);
void EngineSetClockTime(const std::string &centiseconds);
void EngineSetMoveTime(const std::string &seconds);
void EngineSetDepthLimit(int depth);  // the searches stop after this depth (1 to FullHorizon: none)
void EngineSetPonder(bool on);        // think on the opponent's time after each move
