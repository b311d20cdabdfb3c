#include "driver/Engine.h"

#include <algorithm>
#include <cstring>

#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/MoveText.h"
#include "board/Setup.h"
#include "board/Text.h"
#include "book/Book.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/EngineState.h"
#include "driver/GameFlow.h"
#include "driver/Interpreter.h"
#include "driver/Notation.h"
#include "driver/Platform.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

namespace {

// The game as the engine plays it for the front end: the start it was built from and the moves
// played on it since (the engine's own answers included), in the engine's move text.
struct FollowedGame {
  bool valid = false;  // false: the next position builds a game of its own
  Board start{};
  bool whiteToMove = true;
  bool initial = true;
  std::vector<std::string> moves;
  uint64_t nodeLimit = 0;
  bool ownBook = true;
};
FollowedGame Followed;

// The marker the ponder search waits for as its "opponent's move": the ponder hit hands it over.
constexpr const char *PonderHitMarker = "PONDERHIT";

bool SameStart(const EnginePosition &position) {
  return Followed.valid && Followed.initial == position.initial &&
         Followed.whiteToMove == position.whiteToMove &&
         std::memcmp(&Followed.start, &position.start, sizeof(Board)) == 0;
}

// A game of its own on the position's start, the engine playing the side to move at the end.
void StartGame(const EnginePosition &position, bool engineIsWhite) {
  bool engineMovesFirst = position.whiteToMove == engineIsWhite;
  if (position.initial) {
    Game.engineIsWhite = engineIsWhite;
    NewGame();
  } else {
    StartGameFrom(engineMovesFirst ? position.start : SeenFromOtherSide(position.start), engineIsWhite);
    Flow.engineMovesFirst = engineMovesFirst;
  }
  Followed.valid = true;
  Followed.start = position.start;
  Followed.whiteToMove = position.whiteToMove;
  Followed.initial = position.initial;
  Followed.moves.clear();
}

// One pair fewer on the game: the engine's last move and the opponent's before it (only the
// engine's when it moved first in the game).
void TakeBackFollowedPair() {
  TakeBackPair();
  if (Flow.engineMoveCount > 0) Flow.engineMoveCount--;
  size_t plies = Followed.moves.size() == 1 ? 1 : 2;  // the first pair has no opponent's move
  Followed.moves.resize(Followed.moves.size() - plies);
}

// Brings the game to the position's moves less the last (the opponent's move the search answers).
bool FollowPosition(const EnginePosition &position, bool engineIsWhite) {
  size_t target = position.moves.empty() ? 0 : position.moves.size() - 1;
  bool engineMovesFirst = position.whiteToMove == engineIsWhite;
  if (!SameStart(position) || Game.engineIsWhite != engineIsWhite || Flow.gameRecordCount > GameRecordLimit)
    StartGame(position, engineIsWhite);
  size_t common = 0;
  while (common < Followed.moves.size() && common < target &&
         Followed.moves[common] == position.moves[common])
    common++;
  while (Followed.moves.size() > common) TakeBackFollowedPair();
  // Whole pairs from here: the engine's moves stand at even indices when it moved first.
  size_t i = Followed.moves.size();
  while (i < target) {
    bool opponentFirst = !(engineMovesFirst && i == 0);
    std::string opponent = opponentFirst ? position.moves[i] : "";
    const std::string &engine = position.moves[opponentFirst ? i + 1 : i];
    if (!PlayGamePair(opponent, engine)) return false;
    if (opponentFirst) Followed.moves.push_back(opponent);
    Followed.moves.push_back(engine);
    i = Followed.moves.size();
  }
  return true;
}

// The clock's limits for this search, from the interface's numbers.
void SetClockLimits(const EngineSearchLimits &limits) {
  Signals.timedMode = !limits.infinite && (limits.clock || limits.moveTime > 0);
  if (limits.moveTime > 0) {
    Clock.softTimeLimit = MaxClockDays;  // the iterations go on until the time is up
    Clock.hardTimeLimit = limits.moveTime - MoveTimeMargin;
    Clock.minTimeStopDepth = Clock.nominalDepth;
  } else if (limits.clock) {
    // As the xboard clock reads it: 0.3 seconds of safety off the reading.
    Clock.timeLeft = std::max(0.0, limits.timeLeft - 0.3 * SecondInDays);
    Clock.increment = limits.movesToGo > 0 ? 0 : limits.increment;
    AllocateTimeFor(limits.movesToGo, Flow.engineMoveCount);
  } else {
    AllocateTime(Flow.engineMoveCount);  // not used by an untimed search, but set as for every search
  }
}

}  // namespace

void EngineInstallFrontEnd(const FrontEnd &frontEnd) {
  Hooks.inputWaiting = frontEnd.inputWaiting;
  Hooks.pollInput = frontEnd.pollInput;
  Hooks.newOrQuitPending = frontEnd.newOrQuitPending;
  Hooks.elapsedTime = ElapsedTime;
  Hooks.restartClock = MarkStartTime;
  Hooks.clockDays = ClockDays;
  Hooks.postLine = frontEnd.postLine;
  Hooks.analysisLine = frontEnd.analysisLine;
  Hooks.searchLogLine = frontEnd.searchLogLine;
  Hooks.iterationDone = frontEnd.iterationDone;
  Hooks.adviseLargePages = AdviseLargePages;
  Events = frontEnd.events;
}

bool EngineStartUp(const FrontEnd &frontEnd) {
  PlatformStartUp();
  if (!LocateConfiguration()) return false;
  InitEngineTables(ReadHashSize());
  // After the tables' first sizing, which therefore goes without the large-page advice.
  EngineInstallFrontEnd(frontEnd);
  LoadBooks(Settings.filePrefix);
  ResetEngineState();
  ReadConfiguration();
  return true;
}

bool ReadEnginePosition(std::string_view fen, const std::vector<std::string> &moves, EnginePosition &position,
                        std::string &error) {
  EnginePosition read;
  read.initial = fen.empty();
  read.whiteToMove = true;
  if (read.initial) {
    read.start = StartBoard;
  } else if (!ReadFen(fen, read.start, read.whiteToMove)) {
    error = "illegal position: " + std::string(fen.substr(0, 100));
    return false;
  }
  Board board = SeenFromOtherSide(read.start);
  bool moverIsWhite = read.whiteToMove;
  for (const std::string &typed : moves) {
    std::string upper = SqueezeUpper(typed);
    std::string text = ToEngineMoveText(upper);
    bool wellFormed = (upper.size() == 4 || upper.size() == 5) && StartsWithSquares(upper) &&
                      (typed.size() == 4 || text.size() == 5);
    if (!wellFormed || read.moves.size() >= 2 * GameRecordLimit - 2 ||
        !PlayTypedMoveOnward(board, text, !moverIsWhite)) {
      error = "illegal move: " + typed.substr(0, 20);
      return false;
    }
    read.moves.push_back(text);
    moverIsWhite = !moverIsWhite;
  }
  position = read;
  return true;
}

void EngineNewGame() { Followed.valid = false; }

bool EngineSearch(const EnginePosition &position, const EngineSearchLimits &limits) {
  bool engineIsWhite = position.whiteToMove == (position.moves.size() % 2 == 0);
  if (!FollowPosition(position, engineIsWhite)) {
    Followed.valid = false;
    return false;
  }
  SetClockLimits(limits);
  Signals.pondering = limits.ponder;
  if (limits.ponder) Signals.timedMode = false;
  Signals.ponderMoveText = limits.ponder ? PonderHitMarker : "";
  Signals.ponderDisplayMove.clear();
  Signals.commandText.clear();
  Followed.nodeLimit = limits.nodes;
  // Analysis searches the position itself, not the book's choice.
  Books.useBook = Followed.ownBook && !limits.infinite && limits.searchMoves.empty();
  int depth = limits.depth > 0 ? std::min(limits.depth, Settings.maxHorizon) : Settings.maxHorizon;
  std::string opponent = position.moves.empty() ? "" : position.moves.back();
  SearchResult result{};
  bool searched = SearchAnswer(opponent, depth, limits.searchMoves, result);
  Signals.commandText.clear();
  Signals.pondering = false;
  Books.useBook = true;
  if (!searched) {
    Followed.valid = false;
    return false;
  }
  if (!opponent.empty()) Followed.moves.push_back(opponent);
  Move answer = result.move;
  if (answer.IsNull())
    Followed.valid = false;  // no pair of two moves to follow on
  else
    Followed.moves.push_back(CompactMoveText(answer));
  return true;
}

void EngineStop() { Signals.stopSearch = true; }

void EnginePonderHit() {
  if (Signals.pondering) Signals.commandText = Signals.ponderMoveText;
}

bool EngineSearchPondering() { return Signals.pondering; }

bool EngineNodeLimitReached() {
  if (Followed.nodeLimit == 0 || Tree.nodeCount < Followed.nodeLimit) return false;
  Signals.stopSearch = Signals.stoppedByTime = true;
  return true;
}

int EngineHashMegabytes() { return int((TT.hashMask + 1) / 65536) * MinHashMegabytes; }

int EngineSetHash(int megabytes) {
  int size = 1;
  while (size < 64 && (size * 2) * MinHashMegabytes <= megabytes) size *= 2;
  if ((TT.hashMask + 1) / 65536 != uint32_t(size)) SizeHashTables(size);
  Settings.hashSize = size;
  return EngineHashMegabytes();
}

void EngineClearHash() { TTClear(); }

void EngineSetOwnBook(bool on) { Followed.ownBook = on; }

void EngineSetThreads(int count) { Settings.threadCount = count; }

int EngineThreads() { return Settings.threadCount; }

bool EngineSetUpGame(std::string_view fen) { return SetupFromFen(fen); }

bool EnginePlayGameMove(std::string_view move) { return PlayGameMove(move); }

bool EngineTakeBackGameMove() { return TakeBackGameMove(); }

void EngineSetSide(bool engineIsWhite) { Game.engineIsWhite = engineIsWhite; }

// The command text is the interpreter's input and the search's mailbox for the opponent's move:
// nothing of a command may be left in it for the next.
bool EnginePlayFromGame() {
  bool played = PlayFromGame();
  Signals.commandText.clear();
  return played;
}

void EngineRunCommand(const std::string &command) {
  Signals.commandText = command;
  RunCommand();
  Signals.commandText.clear();
}

void EngineOpponentMove(const std::string &move) { Signals.commandText = move; }

void EngineInterrupt() { Signals.stopSearch = Signals.commandPending = true; }

void EngineSetLevel(const std::string &levelLine) { HandleLevel(levelLine); }

void EngineSetClockTime(const std::string &centiseconds) { HandleTime(centiseconds); }

void EngineSetMoveTime(const std::string &seconds) { HandleMoveTime(seconds); }

void EngineSetDepthLimit(int depth) { Settings.depthLimit = std::clamp(depth, 1, FullHorizon); }

void EngineSetPonder(bool on) { Settings.ponderEnabled = on; }
