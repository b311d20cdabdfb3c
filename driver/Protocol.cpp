#include "driver/Protocol.h"

#include <algorithm>
#include <cstdio>

#include "board/Board.h"
#include "board/GameRecord.h"
#include "board/PositionKey.h"
#include "board/Text.h"
#include "book/Book.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/EngineState.h"
#include "driver/GameFlow.h"
#include "driver/Interpreter.h"
#include "driver/Platform.h"
#include "driver/Reports.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

ProtocolState Protocol;

void ResetProtocol() {
  Protocol.quitRequested = false;
  Protocol.forceMode = false;
  Protocol.ignoreFirstNew = true;
  Protocol.positionRefused = false;
}

static bool InputLineWaiting() { return ReadInputLine(true); }
static void AnalysisLine(int moves, bool withScore) { BuildAnalysisLine(moves, withScore); }

// The search reaches the console, the clock and the reports only through these.
static void InstallSearchHooks() {
  Hooks.inputWaiting = InputLineWaiting;
  Hooks.pollInput = PollInput;
  Hooks.newOrQuitPending = PendingLineIsNewOrQuit;
  Hooks.elapsedTime = ElapsedTime;
  Hooks.restartClock = MarkStartTime;
  Hooks.clockDays = ClockDays;
  Hooks.postLine = WritePostLine;
  Hooks.analysisLine = AnalysisLine;
  Hooks.searchLogLine = AddSearchLogLine;
  Hooks.iterationDone = nullptr;
  Hooks.adviseLargePages = AdviseLargePages;
}

bool StartUpEngine() {
  PlatformStartUp();
  if (!LocateConfiguration()) return false;
  InitEngineTables(ReadHashSize());
  InstallSearchHooks();
  LoadBooks(Settings.filePrefix);
  ResetEngineState();
  ResetProtocol();
  ReadConfiguration();
  return true;
}

// Handshake: every line up to and including protover is consumed; then the features.
static void Handshake() {
  Signals.commandText.clear();
  for (;;) {
    ReadInputLine(false);
    std::string s = SqueezeUpper(Console.inputLine);
    Console.inputLine.clear();
    if (StartsWith(s, "PROTOVER")) break;
    if (Console.endOfInput) {
      Protocol.quitRequested = true;
      return;
    }
  }
  WriteProtocolLine("feature done=0");
  WriteProtocolLine(std::string("feature myname=\"") + EngineName + " " + VersionText + "\"");
  WriteProtocolLine("feature san=0");
  WriteProtocolLine("feature usermove=1");
  WriteProtocolLine("feature analyze=0");
  WriteProtocolLine("feature setboard=1");
  WriteProtocolLine(Settings.quitAfterResult ? "feature reuse=0" : "feature reuse=1");
  WriteProtocolLine("feature sigterm=0");
  WriteProtocolLine("feature sigint=0");
  WriteProtocolLine("feature done=1");
}

// setboard: the position becomes a game of its own, and the engine waits for go in force mode:
// moves that arrive meanwhile are played on it (and refused when illegal), undo and remove take
// them back, and on go the engine takes the side to move after them. A refused position is
// reported; the game stays as it was, but the engine will not play on it (see RefusedPosition).
static void SetBoard() {
  std::string raw = Console.inputLine.size() > 8 ? Console.inputLine.substr(8) : "";
  Protocol.positionRefused = !SetupFromFen(raw.substr(0, MaxInputLength));
  if (Protocol.positionRefused) WriteProtocolLine("tellusererror Illegal position");
  Protocol.forceMode = true;
}

// After a refused setboard the interface believes in a position the engine does not hold: a move
// played on the engine's board would be one for the wrong position, perhaps for the wrong side.
// The command is answered with an error instead, until new or a setboard the engine accepts.
static bool RefusedPosition() {
  if (!Protocol.positionRefused) return false;
  std::string command = Console.inputLine;
  while (!command.empty() && uint8_t(command.back()) <= ' ') command.pop_back();
  WriteProtocolLine("Error (illegal position): " + command);
  return true;
}

// go: the engine leaves force mode, takes the side to move and answers.
static void Go() {
  bool refused = RefusedPosition();
  Console.inputLine.clear();  // a command that stops the search stays pending in its place
  if (refused) return;
  Protocol.forceMode = false;
  if (!PlayFromGame()) WriteProtocolLine("Error (game too long): go");
}

// sd N: the searches stop after depth N; new lifts the limit. Unreadable values change nothing.
static void HandleDepthLimit(const std::string &digits) {
  bool error = false;
  int depth = ParseNumber(digits, error);
  if (!error) Settings.depthLimit = std::clamp(depth, 1, FullHorizon);
}

// Acts on one normalised line of the main loop. False when the handler consumed the line itself:
// a level line, or a command that stopped the search of go stays pending.
static bool HandleLine(std::string s) {
  if (StartsWith(s, "LEVEL")) {
    HandleLevel(Console.inputLine);
    return false;
  }
  if (StartsWith(s, "SETBOARD")) {
    SetBoard();
  } else if (s == "QUIT") {
    Protocol.quitRequested = true;
  } else if (StartsWith(s, "USERMOVE") || IsCoordinateMove(s)) {
    std::string move;
    if (AcceptUserMove(s, move) && !RefusedPosition()) {
      if (!Protocol.forceMode)
        Signals.commandText = move;
      else if (!PlayGameMove(ToProtocolMoveText(move)))
        WriteProtocolLine("Illegal move: " + move);
    }
  } else if (s == "FORCE") {
    Protocol.forceMode = true;
  } else if (s == "GO") {
    Go();
    return false;
  } else if (s == "REMOVE") {
    Signals.commandText = "/B";
  } else if (s == "UNDO") {
    if (Protocol.forceMode) TakeBackGameMove();
  } else if (StartsWith(s, "TIME")) {
    HandleTime(s.substr(4));
  } else if (StartsWith(s, "ST") && s.size() > 2) {
    HandleMoveTime(s.substr(2));
  } else if (StartsWith(s, "SD") && s.size() > 2) {
    HandleDepthLimit(s.substr(2));
  } else if (s == "NEW") {
    Protocol.forceMode = false;
    Protocol.positionRefused = false;
    Settings.depthLimit = FullHorizon;
    if (Protocol.ignoreFirstNew) {
      Protocol.ignoreFirstNew = false;
    } else {
      Game.engineIsWhite = false;
      Signals.commandText = "/WB" + s;
    }
  } else if (StartsWith(s, "RESULT")) {
    Protocol.forceMode = false;
    Protocol.positionRefused = false;
    Game.engineIsWhite = false;
    if (Settings.quitAfterResult)
      Protocol.quitRequested = true;
    else
      Signals.commandText = "/WBNEW";
  } else if (StartsWith(s, "EASY")) {
    Settings.ponderEnabled = false;
  } else if (StartsWith(s, "HARD")) {
    Settings.ponderEnabled = true;
  } else if (StartsWith(s, "CORES")) {
    TakeCoresCommand(s.substr(5));
  }
  return true;
}

void RunProtocolLoop() {
  Protocol.quitRequested = false;
  Protocol.ignoreFirstNew = true;
  if (Settings.consoleLogEnabled) OpenConsoleLog();
  // A first line read before the log was opened (the one that chose this protocol) joins it now.
  if (!Console.inputLine.empty() && !Console.madeUpQuit) ConsoleLogLine("in:  " + Console.inputLine);
  Handshake();
  while (!Protocol.quitRequested) {
    if (ReadInputLine(false) && HandleLine(SqueezeUpper(Console.inputLine))) {
      Console.inputLine.clear();
      if (!Signals.commandText.empty()) RunCommand();
    }
    Signals.commandText.clear();
  }
  CloseConsoleLog();
}
