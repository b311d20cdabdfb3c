#include "driver/Protocol.h"

#include <cstdio>
#include <string>
#include <vector>

#include "board/MoveText.h"
#include "board/Text.h"
#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/Engine.h"
#include "driver/Notation.h"
#include "driver/Reports.h"

ProtocolState Protocol;

void ResetProtocol() {
  Protocol.quitRequested = false;
  Protocol.forceMode = false;
  Protocol.ignoreFirstNew = true;
  Protocol.positionRefused = false;
}

bool IsCoordinateMove(std::string &text) {
  if (!StartsWithSquares(text)) return false;
  text = "USERMOVE" + text.substr(0, 200);
  return true;
}

bool AcceptUserMove(const std::string &line, std::string &moveText) {
  std::string_view text = line.size() > 8 ? std::string_view(line).substr(8) : "";
  if (StartsWithSquares(text)) {
    moveText = ToEngineMoveText(text.substr(0, 5));
    return true;
  }
  if (!text.empty()) WriteProtocolLine("Illegal move: " + std::string(text));
  return false;
}

bool PendingLineIsNewOrQuit() {
  std::string pending = SqueezeUpper(Console.inputLine);
  return pending == "NEW" || pending == "QUIT";
}

void PollInput() {
  std::string s = SqueezeUpper(Console.inputLine);
  bool keep = false;
  std::string move;
  if (s.compare(0, 8, "USERMOVE") == 0 || IsCoordinateMove(s)) {
    if (AcceptUserMove(s, move)) EngineOpponentMove(move);
  } else if (s.compare(0, 4, "TIME") == 0) {
    EngineSetClockTime(s.substr(4));
  } else if (s == "?") {
    EngineInterrupt();
  } else if (s == "NEW" || s == "QUIT" || s == "REMOVE" || s == "FORCE" || s == "GO" ||
             s.compare(0, 6, "RESULT") == 0) {
    EngineInterrupt();
    keep = true;  // the main loop acts on it once the search has stopped
  }
  if (!keep) Console.inputLine.clear();
}

// ---------------------------------------------------------------------------------------------
// What the engine reports, as xboard reads it.

namespace {

bool InputLineWaiting() { return ReadInputLine(true); }
void AnalysisLine(int moves, bool withScore) { BuildAnalysisLine(moves, withScore); }

void SearchStarting() { Reports.kibitzText.clear(); }

void IllegalMove(std::string_view typed) { WriteProtocolLine("Illegal move: " + std::string(typed)); }

void EngineMove(Move move) { WriteProtocolLine("move " + ToProtocolMoveText(CompactMoveText(move))); }

// After the final move: the speed in the console log, and the last thinking line for the
// observers when kibitzing.
void MoveFinal() {
  if (Settings.consoleLogEnabled) WriteSpeedLine();
  if (Settings.kibitzEnabled && !Reports.kibitzText.empty())
    WriteProtocolLine("tellall " + Reports.kibitzText);
}

void Resigned(bool engineIsWhite) {
  WriteProtocolLine(engineIsWhite ? "0-1 {White resigns}" : "1-0 {Black resigns}");
}

void GameEnded(GameEnd end, bool engineIsWhite) {
  switch (end) {
    case GameEnd::Stalemate:
      WriteProtocolLine("1/2-1/2 {Stalemate}");
      break;
    case GameEnd::FiftyMoves:
      WriteProtocolLine("1/2-1/2 {Draw by 50 move rule}");
      break;
    case GameEnd::Repetition:
      WriteProtocolLine("1/2-1/2 {Draw by repetition}");
      break;
    case GameEnd::EngineMates:
      WriteProtocolLine(engineIsWhite ? "1-0 {White mates}" : "0-1 {Black mates}");
      break;
  }
}

// The search log of the test mode is written whenever a move search ends.
void SearchEnded() {
  if (Settings.testMode) WriteSearchLog();
}

void WaitForCommand() {
  ReadInputLine(false);
  PollInput();
}

// The silent replay of go: the interface hears nothing of it, the console log sees its moves.
void ReplayLog(const char *prefix, std::string_view text) {
  if (Settings.consoleLogEnabled) ConsoleLogLine(prefix + std::string(text));
}

void ReplayStarted(const std::vector<std::string> &moves) {
  for (const std::string &move : moves) ReplayLog("fb= ", move);
  Console.outputMuted = true;
}

void ReplayPair(std::string_view opponentMove, std::string_view engineMove) {
  ReplayLog("fb> ", std::string(opponentMove == "/R" ? "\\R" : opponentMove) + ";" + std::string(engineMove));
}

void ReplayEnded(std::string_view lastMove, double seconds) {
  ReplayLog("fb> ", lastMove);
  if (Settings.consoleLogEnabled) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    ConsoleLogLine(std::string("tfb ") + text + " sec");
  }
  Console.outputMuted = false;
}

}  // namespace

static FrontEnd XboardFrontEnd() {
  return FrontEnd{InputLineWaiting,
                  PollInput,
                  PendingLineIsNewOrQuit,
                  WritePostLine,
                  AnalysisLine,
                  AddSearchLogLine,
                  nullptr,
                  GameEvents{SearchStarting, IllegalMove, EngineMove, MoveFinal, Resigned, GameEnded,
                             SearchEnded, WaitForCommand, ReplayStarted, ReplayPair, ReplayEnded}};
}

bool StartUpEngine() {
  if (!EngineStartUp(XboardFrontEnd())) return false;
  ResetProtocol();
  return true;
}

// Handshake: every line up to and including protover is consumed; then the features.
static void Handshake() {
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
  Protocol.positionRefused = !EngineSetUpGame(raw.substr(0, MaxInputLength));
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
  if (!EnginePlayFromGame()) WriteProtocolLine("Error (game too long): go");
}

// sd N: the searches stop after depth N; new lifts the limit. Unreadable values change nothing.
static void HandleDepthLimit(const std::string &digits) {
  bool error = false;
  int depth = ParseNumber(digits, error);
  if (!error) EngineSetDepthLimit(depth);
}

// Acts on one normalised line of the main loop; a command for the engine's own language (a move to
// answer, a take-back, a new game) is left in command, to be run once the line is done with. False
// when the handler consumed the line itself: a level line, or a command that stopped the search of
// go stays pending.
static bool HandleLine(std::string s, std::string &command) {
  if (StartsWith(s, "LEVEL")) {
    EngineSetLevel(Console.inputLine);
    Console.inputLine.clear();
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
        command = move;
      else if (!EnginePlayGameMove(ToProtocolMoveText(move)))
        WriteProtocolLine("Illegal move: " + move);
    }
  } else if (s == "FORCE") {
    Protocol.forceMode = true;
  } else if (s == "GO") {
    Go();
    return false;
  } else if (s == "REMOVE") {
    command = "/B";
  } else if (s == "UNDO") {
    if (Protocol.forceMode) EngineTakeBackGameMove();
  } else if (StartsWith(s, "TIME")) {
    EngineSetClockTime(s.substr(4));
  } else if (StartsWith(s, "ST") && s.size() > 2) {
    EngineSetMoveTime(s.substr(2));
  } else if (StartsWith(s, "SD") && s.size() > 2) {
    HandleDepthLimit(s.substr(2));
  } else if (s == "NEW") {
    Protocol.forceMode = false;
    Protocol.positionRefused = false;
    EngineSetDepthLimit(FullHorizon);
    if (Protocol.ignoreFirstNew) {
      Protocol.ignoreFirstNew = false;
    } else {
      EngineSetSide(false);
      command = "/WBNEW";
    }
  } else if (StartsWith(s, "RESULT")) {
    Protocol.forceMode = false;
    Protocol.positionRefused = false;
    EngineSetSide(false);
    if (Settings.quitAfterResult)
      Protocol.quitRequested = true;
    else
      command = "/WBNEW";
  } else if (StartsWith(s, "EASY")) {
    EngineSetPonder(false);
  } else if (StartsWith(s, "HARD")) {
    EngineSetPonder(true);
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
    std::string command;
    if (ReadInputLine(false) && HandleLine(SqueezeUpper(Console.inputLine), command)) {
      Console.inputLine.clear();
      if (!command.empty()) EngineRunCommand(command);
    }
  }
  CloseConsoleLog();
}
