#include "driver/Interpreter.h"

#include <algorithm>
#include <string>

#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/MoveText.h"
#include "board/Text.h"
#include "book/Book.h"
#include "book/PgnTools.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/GameFlow.h"
#include "driver/Platform.h"
#include "driver/Reports.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"
#include "testsuite/Runner.h"

// The value after "=" of a command such as /H=6; false when there is none or it is no number.
static bool CommandValue(const std::string &command, int &value) {
  if (command.size() < 3 || command[2] != '=') return false;
  bool error = false;
  value = ParseNumber(command.substr(3), error);
  return !error;
}

static void TakeBackCommand() {
  if (Flow.gameRecordCount > TakeBackLimit) return;
  TakeBackPair();
  if (Flow.engineMoveCount > 0) Flow.engineMoveCount--;
  BuildSettingsLine();
  TTClear();
}

static void PlayMoveNow() {
  Signals.commandText = "/R";
  PlayMove();
}

// /MW and /MZ: the opening variants of the listed players' games as White or as Black.
static void BuildBookTextCommand(char colourLetter) {
  std::string directory = PgnDirectory, failure;
  BuildBookText(directory + "xx2600u.txt", directory + colourLetter + "xxboek.txt", BookTextMoves,
                colourLetter == 'W', Reports.messageLine, failure);
  TellToolFailure(failure);
}

// ---------------------------------------------------------------------------------------------
// The test-suite runner's view of the engine.

static bool SetUpSuitePosition(const std::string &text, bool fen) {
  return fen ? SetupFromFen(text) : SetupFromPositionFile(text);
}

// The moves are played from the initial position, whatever the last line left on the board; the
// engine is the side to move after them. Only legal moves replay. A line that does not replay
// leaves the board and the engine's colour as they were, so the game stays that of the last
// position searched.
static bool SetUpSuiteMoves(const std::string &moves) {
  Reports.messageLine.clear();
  Board before = Game.currentBoard;
  bool wasWhite = Game.engineIsWhite;
  Game.engineIsWhite = moves.size() / 4 % 2 == 0;
  Game.currentBoard = StartBoard;
  if (!PlayMoveString(moves, Game.engineIsWhite)) {
    Game.currentBoard = before;
    Game.engineIsWhite = wasWhite;
    return false;
  }
  // The position becomes a game of its own: its only history entry, no pairs played yet, so that
  // a take-back after the run rebuilds it from the right board.
  Game.gameStartBoard = Game.currentBoard;
  Flow.gameRecordCount = 0;
  Flow.engineMovesFirst = true;
  Game.gameHistory.count = 0;
  PushGamePosition(Game.currentBoard, 0);
  return true;
}

static SuiteSearch SearchSuitePosition(bool analysisLine) {
  PlayMoveNow();
  if (analysisLine) BuildAnalysisLine(16, true);
  SuiteSearch search{SearchNodeTotal(), Flow.lastSearchTime, {}, Reports.messageLine};
  search.searchLog.assign(Reports.searchLog, Reports.searchLog + Reports.searchLogCount);
  return search;
}

// /V and a file name: ".txt" is added to a name without an extension.
static void TestSuiteCommand(const std::string &c) {
  std::string name = c.substr(2);
  if (!name.empty() && c.size() < 250 && c.find('.') == std::string::npos) name += ".txt";
  SuiteHost host{Settings.filePrefix, Settings.maxHorizon, ResolveFileName,
                 SetUpSuitePosition,  SetUpSuiteMoves,     SearchSuitePosition};
  bool out = false;
  std::string failure;
  RunTestSuite(host, name, out, failure);
  TellToolFailure(failure);
}

// /Z and a key: the games of xx.txt that contain the key go to yy.txt.
static void FilterGamesCommand(const std::string &c) {
  std::string directory = PgnDirectory, failure;
  FilterGamesByKey(directory + "xx.txt", directory + "yy.txt", std::string_view(c).substr(2, 200),
                   Reports.messageLine, failure);
  TellToolFailure(failure);
}

static void RunSlashCommand(const std::string &c) {
  int n = 0;
  switch (c[1]) {
    case 'B':
      if (c == "/B") TakeBackCommand();
      break;
    case 'C':
      if (!CommandValue(c, n)) return;
      Clock.movesPerPeriod = n <= MaxMovesPerPeriod ? n : 0;  // a longer period is the whole game
      BuildSettingsLine();
      break;
    case 'E':
      if (c != "/E") return;
      Settings.fullEvalToggle = !Settings.fullEvalToggle;
      BuildSettingsLine();
      break;
    case 'H':
      if (!CommandValue(c, n)) return;
      Settings.maxHorizon = std::clamp(n, 1, FullHorizon);
      Clock.baseTime = Clock.timeLeft = 0.9930555;  // 23 hours 50 minutes: the clock is lifted
      Settings.testMode = Settings.maxHorizon < FullHorizon;
      Settings.ponderEnabled = !Settings.testMode;
      BuildSettingsLine();
      MarkStartTime();
      break;
    case 'L':
      if (!CommandValue(c, n)) return;
      Clock.minTimeStopDepth = Clock.nominalDepth = std::clamp(n, 1, 99);
      BuildSettingsLine();
      break;
    case 'M':
      if (c == "/MW" || c == "/MZ") BuildBookTextCommand(c[2]);
      break;
    case 'N':
      if (c != "/NIEUWSPEL") return;
      Game.engineIsWhite = !Game.engineIsWhite;
      NewGame();
      break;
    case 'P':
      if (c != "/P") return;
      Settings.ponderEnabled = Settings.testMode ? false : !Settings.ponderEnabled;
      BuildSettingsLine();
      break;
    case 'R':
      if (c == "/R") {
        PlayMoveNow();
      } else if (c.compare(0, 3, "/R;") == 0) {
        Flow.suppliedReply = c.substr(3, 5);
        PlayMoveNow();
      }
      break;
    case 'T':
      if (!CommandValue(c, n)) return;
      Settings.testTimed = n != 0;
      Settings.testTimeLimit = n * SecondInDays;
      BuildSettingsLine();
      break;
    case 'V':
      TestSuiteCommand(c);
      break;
    case 'W':
      if (c == "/WBNEW") {
        NewGame();
      } else if (c == "/WBWHITE") {
        if (!Game.engineIsWhite) {
          Game.engineIsWhite = true;
          NewGame();
        }
        PlayMoveNow();
      }
      break;
    case 'Z':
      if (c.size() > 2) FilterGamesCommand(c);
      break;
    default:
      break;
  }
}

void RunCommand() {
  std::string c = SqueezeUpper(Signals.commandText);
  Signals.commandText = c;
  Flow.suppliedReply.clear();
  if (c.size() < 2) return;
  if (c[0] == '\\') c[0] = '/';
  if (c[0] == '/') {
    Signals.commandText.clear();
    RunSlashCommand(c);
    return;
  }
  size_t pair = c.find(';');
  if (pair != std::string::npos) {
    Flow.suppliedReply = c.substr(pair + 1, 5);
    c.erase(pair);
  }
  Signals.commandText = c;
  PlayMove();
}
