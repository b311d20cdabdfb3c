#include "driver/GameFlow.h"

#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/Legality.h"
#include "board/MakeMove.h"
#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "board/PositionKey.h"
#include "board/Setup.h"
#include "board/Text.h"
#include "book/Book.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/Platform.h"
#include "driver/Reports.h"
#include "eval/RootInputs.h"
#include "search/Driver.h"
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
  Reports.searchLogCount = 0;
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
  ResetSearchForNewGame();  // the draw pull and the line start again with the game
  PushGamePosition(board, 0);
  for (int i = 1; i <= pairs; i++) {
    const MovePair &pair = Flow.gameRecord[i];
    if (!(i == 1 && pair.opponentMove.IsNull())) ReplayPly(board, pair.opponentMove, 1);
    Flow.score = pair.score;
    UpdateDrawishCap(pair.depth, pair.engineMove, pair.score);
    ReplayPly(board, pair.engineMove, 0);
  }
  Game.currentBoard = board;
}

void TakeBackPair() {
  Flow.gameRecordCount = Flow.gameRecordCount > 0 ? Flow.gameRecordCount - 1 : 0;
  ReplayGame(Flow.gameRecordCount);
}

// The limits of the next search, from the clock and the settings.
static void SetSearchLimits() {
  Limits.softTimeLimit = Clock.softTimeLimit;
  Limits.hardTimeLimit = Clock.hardTimeLimit;
  Limits.minTimeStopDepth = Clock.minTimeStopDepth;
  Limits.maxHorizon = Settings.maxHorizon;
  Limits.testMode = Settings.testMode;
  Limits.testTimed = Settings.testTimed;
  Limits.testTimeLimit = Settings.testTimeLimit;
  Limits.fullEvalToggle = Settings.fullEvalToggle;
  Limits.gameRecordCount = Flow.gameRecordCount;
  Limits.threadCount = Settings.threadCount;
}

static void WriteEngineMove(Move move) {
  WriteProtocolLine("move " + ToProtocolMoveText(CompactMoveText(move)));
}

// The search log of the test mode is written whenever a move search ends.
static void EndOfMoveSearch() {
  if (Settings.testMode) WriteSearchLog();
}

// The game as it stood before a search: a ponder miss puts it back whole (a capture may have
// emptied the history).
struct GameBackup {
  Board board;
  GameHistoryRecord history;
  int32_t fiftyMoveCount = 0;
};

// What a search of PlayMove leads to: nothing more, the engine's own search of the real move after
// a ponder miss, or a ponder search on the predicted reply.
enum class NextSearch { None, AfterPonderMiss, Ponder };

// The piece a move takes on the board before it (an en passant capture takes the given pawn).
static uint8_t CapturedPiece(const Board &board, Move move, uint8_t enPassantPawn) {
  if (move.kind == CaptureMove) return board[move.to];
  return move.kind == EnPassantMove ? enPassantPawn : Empty;
}

// The search of the engine's own move: timed, on the opponent's real move.
static void StartOwnSearch() {
  Signals.timedMode = true;
  Signals.pondering = false;
  Signals.ponderMoveText.clear();
  Signals.ponderDisplayMove.clear();
}

// The engine's move goes on the game board and the pair, with the time it took, into the record.
static void RecordPair(Board &working, Move opponentMove, uint8_t opponentCapture, Move engineMove) {
  UpdateDrawishCap(Tree.depthReached, engineMove, Flow.score);
  uint8_t engineCapture = CapturedPiece(working, engineMove, OpponentPawn);
  CountFiftyMoveRule(engineMove.IsNull() ? 0 : working[engineMove.from], engineMove.kind);
  if (!engineMove.IsNull()) ApplyMove(engineMove, working);
  PushGamePosition(working, 0);
  Game.currentBoard = working;

  double elapsed = Signals.timedMode ? ElapsedTime() : 0;
  Clock.timeLeft -= elapsed;
  Flow.lastSearchTime = elapsed;
  Flow.gameRecordCount++;
  if (Flow.gameRecordCount <= GameRecordLimit)
    Flow.gameRecord[Flow.gameRecordCount] =
        MovePair{opponentMove, engineMove, opponentCapture, engineCapture, int16_t(Tree.depthReached),
                 Flow.score,   elapsed};
}

// After a ponder search that ended by itself (a mate found, the depth limit reached) the engine
// waits for the opponent's move; any other than the predicted one is a ponder miss.
static void WaitForTheOpponent() {
  if (Signals.stopSearch && !Signals.stoppedByTime) return;
  if (Signals.stopSearch && Signals.stoppedByTime) Signals.stopSearch = Signals.stoppedByTime = false;
  while (!Signals.commandPending && Signals.commandText.empty()) {
    ReadInputLine(false);
    PollInput();
  }
  if (!Signals.commandPending && Signals.commandText != Signals.ponderMoveText)
    Signals.stoppedByPonderMiss = Signals.stopSearch = true;
}

// The move is final. Only an engine with a move resigns: a stalemate is a draw, and a mate the
// interface sees for itself. False when the engine resigned.
static bool PlayFinalMove(Move engineMove) {
  Flow.engineMoveCount++;
  if (!engineMove.IsNull() && Flow.score < LostScore && Flow.previousScore < LostScore) {
    WriteProtocolLine(Game.engineIsWhite ? "0-1 {White resigns}" : "1-0 {Black resigns}");
    return false;
  }
  if (!engineMove.IsNull()) WriteEngineMove(engineMove);
  if (Settings.consoleLogEnabled) WriteSpeedLine();
  if (Settings.kibitzEnabled && !Reports.kibitzText.empty())
    WriteProtocolLine("tellall " + Reports.kibitzText);
  Flow.previousScore = Flow.score;
  return true;
}

// Pondering on the reply the line predicts: an untimed search as if the opponent had played it.
static bool StartPondering(Move engineMove) {
  Move predicted = Tree.bestLine.move[2];
  if (!Settings.ponderEnabled || engineMove.IsNull() || predicted.IsNull()) return false;
  std::string text;
  for (char c : SqueezeUpper(MoveText(predicted)))
    if (c != '-' && c != 'X') text += c;
  Signals.ponderMoveText = text;
  Signals.pondering = true;
  Signals.timedMode = false;
  Signals.commandText = text;
  Signals.ponderDisplayMove = MoveText(predicted);
  return true;
}

// The result line after the engine's final move, when the game has ended.
static void AnnounceGameEnd(Move engineMove) {
  if (engineMove.IsNull()) {
    if (!Tree.rootInCheck) WriteProtocolLine("1/2-1/2 {Stalemate}");
  } else if (Game.gameHistory.count > 100) {
    WriteProtocolLine("1/2-1/2 {Draw by 50 move rule}");
  } else {
    uint64_t key = ComputeKey(Game.currentBoard);
    if (IsThreefold(Game.currentBoard, 0, uint32_t(key), uint32_t(key >> 32)))
      WriteProtocolLine("1/2-1/2 {Draw by repetition}");
    else if (Flow.score == Infinite)
      WriteProtocolLine(Game.engineIsWhite ? "1-0 {White mates}" : "0-1 {Black mates}");
  }
}

// One search on the opponent's move in the command text ("/R": none, the engine moves first), or
// on the predicted reply while pondering; the engine's move is played on the game board.
static NextSearch SearchOnce() {
  Tree.ponderHitTime = 0;
  Tree.ponderTimeCredit = 0;
  AllocateTime();
  MarkStartTime();
  Signals.stopSearch = Signals.commandPending = Signals.stoppedByPonderMiss = Signals.stoppedByTime = false;
  Board working = Game.currentBoard;
  const GameBackup backup{Game.currentBoard, Game.gameHistory, Game.fiftyMoveCount};
  Flow.score = 0;
  PrepareMoveSearch();
  Reports.kibitzText.clear();
  std::string typed = SqueezeUpper(Signals.commandText);
  Signals.commandText.clear();

  Move opponentMove = NullMove;
  if (typed != "/R") {
    opponentMove = FindTypedOpponentMove(working, typed, Game.engineIsWhite);
    if (opponentMove.IsNull()) {
      WriteProtocolLine("Illegal move: " + typed);
      return NextSearch::None;
    }
  }
  uint8_t opponentCapture = CapturedPiece(working, opponentMove, EnginePawn);
  // Without an opponent's move the position's en passant pawn stays capturable (a set-up position).
  if (!opponentMove.IsNull()) ApplyMove(opponentMove, working);
  EvalState state = SetUpSearchInputs(working);
  SetSearchLimits();
  bool legal = ChooseMove(working, state, opponentMove);
  if (Signals.stopSearch && Signals.commandPending && PendingLineIsNewOrQuit()) return NextSearch::None;
  Flow.score = Tree.rootBest;
  Move engineMove = Tree.bestLine.move[1];
  if (!legal) {
    WriteProtocolLine("Illegal move: " + typed);
    EndOfMoveSearch();
    return NextSearch::None;
  }
  RecordPair(working, opponentMove, opponentCapture, engineMove);

  if (Signals.pondering) WaitForTheOpponent();
  if (Signals.stopSearch && Signals.commandPending) {
    // Interrupted: the best move so far is played, or the predicted pair taken back.
    if (!Signals.pondering && !engineMove.IsNull()) {
      WriteEngineMove(engineMove);
      Flow.engineMoveCount++;
    }
    if (Signals.pondering) TakeBackPair();
    EndOfMoveSearch();
    return NextSearch::None;
  }
  if (Signals.stopSearch && Signals.stoppedByPonderMiss) {
    // Ponder miss: the predicted pair is undone and the real move searched as the engine's own.
    Game.gameHistory = backup.history;
    Game.fiftyMoveCount = backup.fiftyMoveCount;
    Flow.gameRecordCount--;
    Game.currentBoard = backup.board;
    return NextSearch::AfterPonderMiss;
  }
  if (!PlayFinalMove(engineMove)) return NextSearch::None;
  if (StartPondering(engineMove)) return NextSearch::Ponder;
  AnnounceGameEnd(engineMove);
  EndOfMoveSearch();
  return NextSearch::None;
}

void PlayMove() {
  for (NextSearch next = NextSearch::AfterPonderMiss; next == NextSearch::AfterPonderMiss;) {
    StartOwnSearch();
    while ((next = SearchOnce()) == NextSearch::Ponder) continue;
  }
}

Move FindTypedOpponentMove(const Board &board, std::string_view text, bool engineIsWhite) {
  Move move = ParseMoveAs(text, engineIsWhite);
  if (!move.IsNull()) FindOpponentMove(board, move);
  if (move.promotion != 0) move.promotion = TypedPromotionPiece(text);
  return move;
}

bool PlayTypedMoveOnward(Board &board, std::string_view text, bool engineIsWhite) {
  Move move = FindTypedOpponentMove(board, text, engineIsWhite);
  if (move.IsNull()) return false;
  Board after = board;
  ApplyMove(move, after);
  // The full attack test on the mover's king, as the search's root makes it for the opponent's move.
  if (!IsLegalAfterMove(after, move, OpponentSide, true)) return false;
  board = SeenFromOtherSide(after);
  return true;
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
  PushGamePosition(board, 0);
}

// After a successful read the game restarts on the new position, which becomes its only entry.
static void InstallSetUpPosition(const Board &board, bool engineIsWhite) {
  StartGameFrom(board, engineIsWhite);
}

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
