#include "driver/GameFlow.h"

#include "board/MakeMove.h"
#include "board/PositionKey.h"
#include "board/Setup.h"
#include "board/Text.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/Platform.h"
#include "driver/Reports.h"
#include "book/Book.h"
#include "eval/RootInputs.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/Selectivity.h"
#include "search/TransTable.h"

GameFlowState Flow;

void ResetGameFlow() { Flow = GameFlowState{}; }

void PushGamePosition(const Board &board, uint8_t sideMarker) {
  uint64_t key = ComputeKey(board);
  HistoryPush(board, sideMarker, uint32_t(key), uint32_t(key >> 32));
}

void NewGame() {
  Clock.nominalDepth = 12;
  Clock.minTimeStopDepth = 12;
  Game.currentBoard = StartBoard;
  Game.gameStartBoard = StartBoard;
  Game.gameHistory.count = 0;
  Game.fiftyMoveCount = 0;
  PushGamePosition(Game.currentBoard, 0);
  Clock.timeLeft = Clock.baseTime;
  Flow.score = 0;
  Flow.gameRecordCount = 0;
  Flow.engineMoveCount = 0;
  Flow.previousScore = 0;
  ResetSearchForNewGame();
  TTClear();
  MarkStartTime();
  BuildSettingsLine();
}

// Plays one ply of the record on the board: the fifty-move count, then the position pushed.
static void ReplayPly(Board &board, Move move, uint8_t sideMarker) {
  uint8_t movingPiece = board[move.from];
  ApplyMove(move, board);
  CountFiftyMoveRule(movingPiece, move.kind);
  PushGamePosition(board, sideMarker);
}

void ReplayGame(int pairs) {
  if (pairs > Flow.gameRecordCount) pairs = Flow.gameRecordCount;
  if (pairs > GameRecordLimit) pairs = GameRecordLimit;
  Board board = Game.gameStartBoard;
  Game.gameHistory.count = 0;
  Game.fiftyMoveCount = 0;
  Flow.previousScore = 0;
  PushGamePosition(board, 0);
  for (int i = 1; i <= pairs; i++) {
    const MovePair &pair = Flow.gameRecord[i];
    if (!(i == 1 && pair.opponentMove.IsNull())) ReplayPly(board, pair.opponentMove, 1);
    ReplayPly(board, pair.engineMove, 0);
    Flow.score = pair.score;
  }
  Game.currentBoard = board;
}

void TakeBackPair() {
  Flow.gameRecordCount = Flow.gameRecordCount > 0 ? Flow.gameRecordCount - 1 : 0;
  ReplayGame(Flow.gameRecordCount);
}

void PlayMove() {
  // The search and the answer to the opponent's move come with the search; until then a move
  // handed over is consumed without an answer.
  Signals.commandText.clear();
  BookRecord.forcedReply.clear();
}

EvalState SetUpSearchInputs(Board &board) {
  EvalState state = ScanEvalState(board);
  SetGameFlowFlags(Tree.context, board);
  Tree.context.drawishCap = Tree.drawishCap;
  SetGPawnWatch(board);
  Limits.openingGuidance = OpeningGuidance(board, state);
  return state;
}

void StartGameFrom(const Board &board, bool engineIsWhite) {
  Game.engineIsWhite = engineIsWhite;
  NewGame();
  Game.currentBoard = board;
  Game.gameStartBoard = board;
  Game.gameHistory.count = 0;
  Tree.savedHistoryCount = 0;
  PushGamePosition(board, 0);
}

// After a successful read the game restarts on the new position, which becomes its only entry.
static void InstallSetUpPosition(const Board &board, bool engineIsWhite) { StartGameFrom(board, engineIsWhite); }

bool SetupFromFen(std::string_view line) {
  Board board;
  bool engineIsWhite = Game.engineIsWhite;
  if (!ReadFen(line, board, engineIsWhite)) return false;
  InstallSetUpPosition(board, engineIsWhite);
  return true;
}

bool SetupFromPositionFile(const std::string &name) {
  Board board;
  bool engineIsWhite = Game.engineIsWhite;
  std::string path = ResolveFileName(Settings.filePrefix + SqueezeUpper(name));
  if (!ReadPositionFile(path, board, engineIsWhite)) return false;
  InstallSetUpPosition(board, engineIsWhite);
  return true;
}
