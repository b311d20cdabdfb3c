// The program's entry: the start-up order, the protocol handshake and the loop that reads one
// protocol line at a time and turns it into engine state or a command for the interpreter. The
// loop never plays a move itself and the engine never thinks while the loop waits for a line.
#pragma once

struct ProtocolState {
  bool quitRequested;
  bool forceMode;       // the engine plays neither side: moves are played on the game, not answered
  bool ignoreFirstNew;  // start-up has already set up a game
  // The last setboard was refused: the engine holds another position than the interface, so it
  // answers go and moves with an error until new or a setboard it accepts.
  bool positionRefused;
};
extern ProtocolState Protocol;

void ResetProtocol();
bool StartUpEngine();  // configuration, tables, settings, books, a new game; false: no configuration
// Handshake and main loop until quit or the end of input. A line already read (the first, which
// chose xboard) is taken as the first of the handshake.
void RunProtocolLoop();
