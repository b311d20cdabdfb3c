#include "driver/Protocol.h"

#include <cstdio>

#include "board/Board.h"
#include "board/PositionKey.h"
#include "board/Text.h"
#include "book/Book.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/GameFlow.h"
#include "driver/Interpreter.h"
#include "driver/Platform.h"
#include "driver/Reports.h"
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
  InitBoardTables();
  ResetSettings();
  ResetClock();
  ResetConsole();
  ResetReports();
  ResetGameFlow();
  ClearSearchSignals();
  ResetSearchState();
  InstallSearchHooks();
  SizeHashTables(ReadHashSize());
  InitZobrist();
  InitEvaluationMasks();
  Game.engineIsWhite = false;
  ResetProtocol();
  LoadBooks(Settings.filePrefix);
  Books.useBook = true;
  ReadConfiguration();
  NewGame();
  return true;
}

static bool StartsWith(const std::string &text, const char *prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
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

// setboard: the position is set up, then every line but time is discarded until go. Except a move:
// when the engine has the side that is not to move, the interface sends the other side's first
// move before go, and the engine must answer that move with its own colour.
static void SetUpWait() {
  std::string raw = Console.inputLine.size() > 8 ? Console.inputLine.substr(8) : "";
  bool setUp = SetupFromFen(raw.substr(0, MaxInputLength));  // a rejected position is not reported
  Console.inputLine.clear();
  std::string firstMove;
  for (;;) {
    if (ReadInputLine(false)) {
      std::string t = SqueezeUpper(Console.inputLine);
      Console.inputLine.clear();
      if (t == "GO") break;
      if (StartsWith(t, "TIME")) HandleTime(t.substr(4));
      if (setUp && firstMove.empty() && (StartsWith(t, "USERMOVE") || IsCoordinateMove(t)))
        firstMove = MoveTextOfUserMove(t);
      if (Console.endOfInput) {
        Protocol.quitRequested = true;
        return;
      }
    }
  }
  Protocol.forceMode = false;
  Console.inputLine.clear();
  if (!firstMove.empty()) PlaySetUpMoverFirst(firstMove);  // a move that is not legal is dropped
  CallInterpreter("\\R");
}

// go: the game is rebuilt from the initial position out of the moves collected in force mode,
// silently, and the engine answers the last of them.
static void GoHandler() {
  bool kibitz = Settings.kibitzEnabled, ponder = Settings.ponderEnabled;
  Settings.kibitzEnabled = Settings.ponderEnabled = false;
  double start = ClockDays();
  int count = Protocol.forceCount;
  for (int i = 1; i <= count; i++) ReplayLog("fb= ", Protocol.forceMoves[i]);
  Game.engineIsWhite = count % 2 == 0;
  // The interface has just told the clock (time, or level); the new game must not put it back
  // to the base time, or the first move of a fast game would spend minutes it does not have.
  double clockReading = Clock.timeLeft;
  CallInterpreter("\\WBNEW");
  Clock.timeLeft = clockReading;
  Signals.commandText.clear();
  if (count == 0) {
    Signals.commandText = "\\R";
  } else {
    Console.outputMuted = true;
    int i = 1;
    if (Game.engineIsWhite) {
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
    if (!Protocol.forceMode) {
      Signals.commandText = MoveTextOfUserMove(s);
    } else if (Protocol.forceCount < ForceMoveLimit) {
      Protocol.forceMoves[++Protocol.forceCount] = MoveTextOfUserMove(s).substr(0, 5);
    }
  } else if (s == "FORCE") {
    Protocol.forceMode = true;
    Protocol.forceCount = 0;
  } else if (s == "GO") {
    GoHandler();
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
    std::fprintf(stderr, "File not found (%s)\n", ConfigurationFileName);
    return 1;
  }
  RunProtocolLoop();
  return 0;
}
