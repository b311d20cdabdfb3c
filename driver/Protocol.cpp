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
  Protocol.forceCount = 0;
  Protocol.ignoreFirstNew = true;
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
  ReadConfiguration();
  return true;
}

static void CallInterpreter(const std::string &command) {
  Signals.commandText = command;
  RunCommand();
}

static void ReplayLog(const char *prefix, const std::string &text) {
  if (Settings.consoleLogEnabled) ConsoleLogLine(prefix + text);
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

// Where the moves played in the set-up wait start: the set-up position, seen from the side to move.
struct SetUpStart {
  Board board;
  bool whiteToMove;
};

// go: the game is rebuilt out of the collected moves, silently, from the initial position (force
// mode) or from the set-up position (the set-up wait). The engine takes the side to move after
// them; the last of them is left in CommandText for the interpreter, which answers it. Without
// collected moves CommandText is "\R": the engine moves first.
static void ReplayCollectedMoves(const SetUpStart *setUp) {
  bool kibitz = Settings.kibitzEnabled, ponder = Settings.ponderEnabled;
  Settings.kibitzEnabled = Settings.ponderEnabled = false;
  double start = ClockDays();
  int count = Protocol.forceCount;
  for (int i = 1; i <= count; i++) ReplayLog("fb= ", Protocol.forceMoves[i]);
  bool engineMovesFirst = count % 2 == 0;
  // The interface has just told the clock (time, or level); the new game must not put it back
  // to the base time, or the first move of a fast game would spend minutes it does not have.
  double clockReading = Clock.timeLeft;
  if (setUp == nullptr) {
    Game.engineIsWhite = engineMovesFirst;
    CallInterpreter("\\WBNEW");
  } else {
    StartGameFrom(engineMovesFirst ? setUp->board : SeenFromOtherSide(setUp->board),
                  setUp->whiteToMove == engineMovesFirst);
  }
  Clock.timeLeft = clockReading;
  Signals.commandText.clear();
  if (count == 0) {
    Signals.commandText = "\\R";
  } else {
    Console.outputMuted = true;
    int i = 1;
    if (engineMovesFirst) {
      Signals.commandText = "\\R;" + Protocol.forceMoves[1];
      ReplayLog("fb> ", Signals.commandText);
      RunCommand();
      i = 2;
    }
    while (count - 2 >= i) {
      Signals.commandText = Protocol.forceMoves[i] + ";" + Protocol.forceMoves[i + 1];
      ReplayLog("fb> ", Signals.commandText);
      RunCommand();
      i += 2;
    }
    Signals.commandText = Protocol.forceMoves[count];
    if (Settings.consoleLogEnabled) {
      ReplayLog("fb> ", Signals.commandText);
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%.2f", (ClockDays() - start) * 86400.0);
      ConsoleLogLine(std::string("tfb ") + seconds + " sec");
    }
    Console.outputMuted = false;
  }
  Settings.kibitzEnabled = kibitz;
  Settings.ponderEnabled = ponder;
  Protocol.forceMode = false;
  Protocol.forceCount = 0;
}

// The set-up position with the first count collected moves played on it, seen from the side that
// made the last of them (so the next mover is the "opponent").
static void PlayCollectedMoves(const SetUpStart &setUp, int count, Board &board, bool &moverIsWhite) {
  board = SeenFromOtherSide(setUp.board);
  moverIsWhite = setUp.whiteToMove;
  for (int i = 1; i <= count; i++, moverIsWhite = !moverIsWhite)
    PlayTypedMoveOnward(board, Protocol.forceMoves[i], !moverIsWhite);  // each was legal when it came
}

// setboard: the position is set up and the wait for go begins. Moves that arrive meanwhile are
// played on the set-up position, in order, and refused when illegal; undo and remove take them
// back; time and level set the clock. new, result, quit and another setboard end the wait and
// stay pending for the main loop. On go the engine takes the side to move after the moves and
// moves. Every other line is discarded.
static void SetUpWait() {
  std::string raw = Console.inputLine.size() > 8 ? Console.inputLine.substr(8) : "";
  bool setUp = SetupFromFen(raw.substr(0, MaxInputLength));
  // A refused position leaves the game as it was; the interface shows the user why.
  if (!setUp) WriteProtocolLine("tellusererror Illegal position");
  SetUpStart start{Game.currentBoard, Game.engineIsWhite};
  Board board;
  bool moverIsWhite = true;
  PlayCollectedMoves(start, 0, board, moverIsWhite);
  Protocol.forceCount = 0;
  Console.inputLine.clear();
  for (;;) {
    ReadInputLine(false);  // the end of input reads as quit
    std::string t = SqueezeUpper(Console.inputLine), move;
    if (t == "GO") break;
    if (t == "QUIT" || t == "NEW" || StartsWith(t, "RESULT") || StartsWith(t, "SETBOARD")) return;
    if (StartsWith(t, "LEVEL")) {
      HandleLevel(Console.inputLine);
    } else if (StartsWith(t, "TIME")) {
      HandleTime(t.substr(4));
    } else if ((StartsWith(t, "USERMOVE") || IsCoordinateMove(t)) && AcceptUserMove(t, move)) {
      if (setUp && Protocol.forceCount < ForceMoveLimit && PlayTypedMoveOnward(board, move, !moverIsWhite)) {
        Protocol.forceMoves[++Protocol.forceCount] = move;
        moverIsWhite = !moverIsWhite;
      } else {
        WriteProtocolLine("Illegal move: " + move);
      }
    } else if (t == "UNDO" || t == "REMOVE") {
      Protocol.forceCount = std::max(0, Protocol.forceCount - (t == "UNDO" ? 1 : 2));
      PlayCollectedMoves(start, Protocol.forceCount, board, moverIsWhite);
    }
    Console.inputLine.clear();
  }
  Protocol.forceMode = false;
  Console.inputLine.clear();
  if (Protocol.forceCount == 0) {
    CallInterpreter("\\R");
  } else {
    ReplayCollectedMoves(&start);
    RunCommand();
  }
}

// Acts on one normalised line of the main loop. False when the line was a level or set-up line,
// whose handlers consume it themselves: a command that stopped the set-up search stays pending.
static bool HandleLine(std::string s) {
  if (StartsWith(s, "LEVEL")) {
    HandleLevel(Console.inputLine);
    return false;
  }
  if (StartsWith(s, "SETBOARD")) {
    SetUpWait();
    return false;
  }
  if (s == "QUIT") {
    Protocol.quitRequested = true;
  } else if (StartsWith(s, "USERMOVE") || IsCoordinateMove(s)) {
    std::string move;
    if (AcceptUserMove(s, move)) {
      if (!Protocol.forceMode)
        Signals.commandText = move;
      else if (Protocol.forceCount < ForceMoveLimit)
        Protocol.forceMoves[++Protocol.forceCount] = move;
    }
  } else if (s == "FORCE") {
    Protocol.forceMode = true;
    Protocol.forceCount = 0;
  } else if (s == "GO") {
    ReplayCollectedMoves(nullptr);
  } else if (s == "REMOVE") {
    Signals.commandText = "/B";
  } else if (s == "UNDO") {
    if (Protocol.forceMode && Protocol.forceCount > 0) Protocol.forceCount--;
  } else if (StartsWith(s, "TIME")) {
    HandleTime(s.substr(4));
  } else if (s == "NEW") {
    Protocol.forceMode = false;
    Protocol.forceCount = 0;
    if (Protocol.ignoreFirstNew) {
      Protocol.ignoreFirstNew = false;
    } else {
      Game.engineIsWhite = false;
      Signals.commandText = "/WB" + s;
    }
  } else if (StartsWith(s, "RESULT")) {
    Protocol.forceMode = false;
    Protocol.forceCount = 0;
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

int RunEngine() {
  if (!StartUpEngine()) {
    ShowFatalMessage(std::string("File not found (") + ConfigurationFileName + ")");
    return 1;
  }
  RunProtocolLoop();
  return 0;
}
