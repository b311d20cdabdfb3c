// How the engine around the search reaches it while it runs, and how the search reaches back: the
// signals shared by the in-search poll, the game flow and the search driver (the poll raises them;
// the search stops by returning when it sees stopSearch), and the hooks through which the search
// reads input and the clock and has its reports written.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// What the search needs from the engine around it; the front end fills them at start-up.
struct SearchHooks {
  bool (*inputWaiting)();      // a protocol line can be read now (or one is pending)
  void (*pollInput)();         // the in-search command handler
  bool (*newOrQuitPending)();  // the pending line is "new" or "quit": leave at once
  double (*elapsedTime)();     // days since the search clock started
  void (*restartClock)();
  double (*clockDays)();        // the clock, for seeding the random choices
  void (*postLine)(int moves);  // thinking output
  void (*analysisLine)(int moves, bool withScore);
  void (*searchLogLine)(int count);
  void (*iterationDone)();                                // after every completed iteration (may be null)
  void (*adviseLargePages)(void *address, size_t bytes);  // for the tables when sized (may be null)
};
extern SearchHooks Hooks;
SearchHooks SilentHooks();  // no input, no clock, no reports: the search alone
// The hooks' clock in milliseconds: the seed of the random choices (the book's move, its stop depth).
uint64_t ClockSeed();

// A flag that one thread raises and every search thread reads: a relaxed atomic, as cheap to read
// as a plain bool, so helper threads see a stop without a lock. Copies and chained assignments
// read as those of a bool.
class StopFlag {
 public:
  StopFlag() = default;
  StopFlag(const StopFlag &other) : raised_(bool(other)) {}
  StopFlag &operator=(const StopFlag &other) { return *this = bool(other); }
  StopFlag &operator=(bool raised) {
    raised_.store(raised, std::memory_order_relaxed);
    return *this;
  }
  operator bool() const { return raised_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> raised_{false};
};

struct SearchSignals {
  StopFlag stopSearch;            // the search must end now (every thread)
  bool commandPending;            // a command stopped it and waits for the main loop (or "?")
  bool stoppedByPonderMiss;       // the opponent did not play the predicted move
  bool stoppedByTime;             // the clock ran out, or a ponder hit found the search already done
  bool pondering;                 // searching on the opponent's time
  bool timedMode;                 // when false the search's time is not charged to the engine's clock
  std::string commandText;        // a move received while searching (engine move text)
  std::string ponderMoveText;     // the predicted opponent move, normalised engine move text
  std::string ponderDisplayMove;  // the same as the thinking output shows it
};
extern SearchSignals Signals;
// Raised by the main thread when its own search ends, for the helper threads still searching.
extern StopFlag HelpersHalt;

// Whether a node must return at once: a stop of the whole search, or the end of the main thread's.
inline bool SearchStopped() { return Signals.stopSearch || HelpersHalt; }

void ClearSearchSignals();
