// The xboard front end: the handshake, the loop that reads one protocol line at a time and turns it
// into calls on the engine (driver/Engine.h), the poll of lines that arrive while the engine
// searches, and the text of what the engine reports (its moves, refused moves, results,
// resignation, the console log's lines of a replay). The loop never plays a move itself and the
// engine never thinks while the loop waits for a line.
#pragma once

#include <string>

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
// Start-up with this front end installed: configuration, tables, settings, books, a new game;
// false: no configuration.
bool StartUpEngine();
// A line read while the engine searches (Console.inputLine): a move is handed to the engine, a
// time line sets the clock, "?" makes the engine move now, and a command that ends the search (new,
// quit, remove, force, go, result) stops it and stays pending for the loop; anything else is dropped.
void PollInput();
bool IsCoordinateMove(std::string &text);  // bare E2E4...: rewritten as USERMOVEE2E4...
// The engine move text of a normalised usermove line (USERMOVEE7E8Q -> E7E8D). Text after the word
// that is not a coordinate move never reaches the interpreter, whose slash commands run the test
// suites and the tools: it is answered "Illegal move: " and the text (nothing for no text), and
// false is returned.
bool AcceptUserMove(const std::string &line, std::string &moveText);
bool PendingLineIsNewOrQuit();  // the line kept for the loop is new or quit
// Handshake and main loop until quit or the end of input. A line already read (the first, which
// chose xboard) is taken as the first of the handshake.
void RunProtocolLoop();
