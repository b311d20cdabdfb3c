// The engine as a front end that keeps the game's moves and the clock itself drives it (UCI): a
// position as a start and the moves played from it, a search of the side to move's answer within
// the limits asked for, and the switches an interface may set. Below it the game flow, the clock
// and the search know no protocol text; the front end reads and writes the protocol.
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
void EnginePonderHit();  // false when the search was not pondering
bool EngineSearchPondering();
bool EngineNodeLimitReached();     // the node cap of this search is spent (the search is then stopped)
int EngineSetHash(int megabytes);  // the largest table size that fits; returns the megabytes in use
int EngineHashMegabytes();
void EngineClearHash();
void EngineSetOwnBook(bool on);
void EngineSetThreads(int count);  // search threads, 1 to MaxThreadCount (the configuration's CPUS=)
int EngineThreads();
