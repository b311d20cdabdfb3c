// The UCI front end: when the first command the engine reads is "uci" it speaks UCI for the rest
// of the run. It turns the interface's commands into calls on the engine (driver/Engine.h) and the
// search's reports into "info" lines and "bestmove"; it writes no xboard text, no thinking output
// of the engine's own and no logs. Bad input is answered with "info string" and a reason; the last
// good position stays.
#pragma once

#include <string>

struct UciState {
  bool quit;
  bool debug;          // "debug on": the engine says more in info strings
  bool havePosition;   // a position command has been accepted
  bool stopRequested;  // "stop" arrived during the search
  bool ponderHit;      // "ponderhit" arrived during the search
  bool searching;
  bool infoWritten;  // the search has reported at least one line
};
extern UciState Uci;

void ResetUci();
bool IsUciCommand(const std::string &line);  // the first line chooses UCI
void RunUciLoop();                           // after "uci" was read: until quit or the end of input
