// Signals shared by the in-search poll, the game flow and the search driver. The poll raises
// them; the search stops by returning when it sees stopSearch.
#pragma once

#include <string>

struct SearchSignals {
  bool stopSearch;                // the search must end now
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

void ClearSearchSignals();
