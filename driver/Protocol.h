// The program's entry: the start-up order, the protocol handshake and the loop that reads one
// protocol line at a time and turns it into engine state or a command for the interpreter. The
// loop never plays a move itself and the engine never thinks while the loop waits for a line.
#pragma once

#include <cstdint>
#include <string>

constexpr int ForceMoveLimit = 2000;

struct ProtocolState {
  bool quitRequested;
  bool forceMode;  // moves are recorded, not answered
  // engine move texts collected in force mode or played in the set-up wait, used from index 1
  std::string forceMoves[ForceMoveLimit + 1];
  int32_t forceCount;
  bool ignoreFirstNew;  // start-up has already set up a game
};
extern ProtocolState Protocol;

void ResetProtocol();
bool StartUpEngine();  // configuration, tables, settings, books, a new game; false: no configuration
// Handshake and main loop until quit or the end of input. A line already read (the first, which
// chose xboard) is taken as the first of the handshake.
void RunProtocolLoop();
