// Signals shared by the in-search poll, the game flow and the search driver. The poll raises
// them; the search stops by returning when it sees stopSearch.
#pragma once

#include <atomic>
#include <string>

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
