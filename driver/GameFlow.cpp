#include "driver/GameFlow.h"

#include <algorithm>
#include <vector>

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
#include "driver/GameEvents.h"
#include "driver/Notation.h"
#include "driver/Platform.h"
#include "driver/Reports.h"
#include "eval/RootInputs.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/Selectivity.h"
#include "search/TransTable.h"

GameFlowState Flow;

namespace {
void NoReport() {}
void NoIllegalMove(std::string_view) {}
void NoEngineMove(Move) {}
void NoResignation(bool) {}
void NoGameEnd(GameEnd, bool) {}
void NobodyAnswers() { Signals.stopSearch = Signals.commandPending = true; }
void NoReplay(const std::vector<std::string> &) {}
void NoReplayPair(std::string_view, std::string_view) {}
void NoReplayEnd(std::string_view, double) {}
}  // namespace

GameEvents SilentGameEvents() {
  return GameEvents{NoReport, NoIllegalMove, NoEngineMove, NoReport,     NoResignation, NoGameEnd,
                    NoReport, NobodyAnswers, NoReplay,     NoReplayPair, NoReplayEnd};
}

GameEvents Events = SilentGameEvents();

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
  Flow.engineMovesFirst = Game.engineIsWhite;  // White moves first from the initial position
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
static void SetSearchLimits(SearchLimits &limits) {
  limits.softTimeLimit = Clock.softTimeLimit;
  limits.hardTimeLimit = Clock.hardTimeLimit;
  limits.minTimeStopDepth = Clock.minTimeStopDepth;
  limits.maxHorizon = std::min(Settings.maxHorizon, Settings.depthLimit);
  limits.testMode = Settings.testMode;
  limits.testTimed = Settings.testTimed;
  limits.testTimeLimit = Settings.testTimeLimit;
  limits.fullEvalToggle = Settings.fullEvalToggle;
  limits.rootMoveCount = 0;
  limits.threadCount = Settings.threadCount;
  limits.nodeCap = Settings.searchNodeCap;
}

// The opponent's move, legal and made on board, enters the game: the game board, the fifty-move
// count and the history, where the search's root finds its position with the search's marker.
static void EnterOpponentMove(const Board &board, Move lastMove) {
  Game.currentBoard = board;
  uint8_t mover = lastMove.kind == 0 ? 0 : lastMove.promotion != 0 ? OpponentPawn : board[lastMove.to];
  CountFiftyMoveRule(mover, lastMove.kind);
  PushGamePosition(board, 1);
}

// The book's choice for the engine's move on board, into BookRecord for the search's root.
static void ProbeBook(const Board &board) {
  ClearBookRecord();
  Move bookMove =
      Books.useBook ? BookProbe(board, Game.engineIsWhite, Flow.gameRecordCount, ClockSeed()) : NullMove;
  if (bookMove.kind != 0) BookRecord.status = BookMovesFound;
}

RootInput PrepareRootInput(Board &board, Move lastMove) {
  RootInput input{};
  input.state = ScanEvalState(board);
  SetGameFlowFlags(Tree.context, board);
  Tree.context.drawishCap = Tree.drawishCap;
  SetGPawnWatch(board);
  input.openingGuidance = OpeningGuidance(board, input.state);
  input.board = board;
  input.lastMove = lastMove;
  // The supplied reply is for this search alone.
  input.suppliedReply = Flow.suppliedReply;
  Flow.suppliedReply.clear();
  // The search refuses an illegal move by the same test; the game does not count it.
  if (IsLegalAfterMove(board, lastMove, OpponentSide, lastMove.kind != 0)) {
    EnterOpponentMove(board, lastMove);
    ProbeBook(board);
  }
  input.history = &Game.gameHistory;
  input.fiftyMoveCount = Game.fiftyMoveCount;
  return input;
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

// The search of the engine's own move: timed, on the opponent's real move.
static void StartOwnSearch() {
  Signals.timedMode = true;
  Signals.pondering = false;
  Signals.ponderMoveText.clear();
  Signals.ponderDisplayMove.clear();
}

// The engine's move goes on the game board and the pair, with its depth and score, into the record.
static void RecordPair(Board &working, Move opponentMove, const SearchResult &result) {
  Move engineMove = result.move;
  UpdateDrawishCap(result.depth, engineMove, Flow.score);
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
        MovePair{opponentMove, engineMove, int16_t(result.depth), Flow.score};
}

// After a ponder search that ended by itself (a mate found, the depth limit reached) the engine
// waits for the opponent's move; any other than the predicted one is a ponder miss.
static void WaitForTheOpponent() {
  if (Signals.stopSearch && !Signals.stoppedByTime) return;
  if (Signals.stopSearch && Signals.stoppedByTime) Signals.stopSearch = Signals.stoppedByTime = false;
  while (!Signals.commandPending && Signals.commandText.empty()) Events.waitForCommand();
  if (!Signals.commandPending && Signals.commandText != Signals.ponderMoveText)
    Signals.stoppedByPonderMiss = Signals.stopSearch = true;
}

// The move is final. Only an engine with a move resigns: a stalemate is a draw, and a mate the
// interface sees for itself. False when the engine resigned.
static bool PlayFinalMove(Move engineMove) {
  Flow.engineMoveCount++;
  if (!engineMove.IsNull() && Flow.score < LostScore && Flow.previousScore < LostScore) {
    Events.resigned(Game.engineIsWhite);
    return false;
  }
  if (!engineMove.IsNull()) Events.engineMove(engineMove);
  Events.moveFinal();
  Flow.previousScore = Flow.score;
  return true;
}

// Pondering on the reply the line predicts: an untimed search as if the opponent had played it.
static bool StartPondering(Move engineMove, Move predicted) {
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

// The end of the game after the engine's final move, when it has ended.
static void AnnounceGameEnd(Move engineMove) {
  bool white = Game.engineIsWhite;
  if (engineMove.IsNull()) {
    if (!Tree.rootInCheck) Events.gameEnded(GameEnd::Stalemate, white);
  } else if (Game.gameHistory.count > 100) {
    Events.gameEnded(GameEnd::FiftyMoves, white);
  } else {
    uint64_t key = ComputeKey(Game.currentBoard);
    if (IsThreefold(Game.currentBoard, 0, uint32_t(key), uint32_t(key >> 32)))
      Events.gameEnded(GameEnd::Repetition, white);
    else if (Flow.score == Infinite)
      Events.gameEnded(GameEnd::EngineMates, white);
  }
}

// One search on the opponent's move in the command text ("/R": none, the engine moves first), or
// on the predicted reply while pondering; the engine's move is played on the game board.
static NextSearch SearchOnce() {
  Tree.ponderHitTime = 0;
  Tree.ponderTimeCredit = 0;
  AllocateTime(Flow.engineMoveCount);
  MarkStartTime();
  Signals.stopSearch = Signals.commandPending = Signals.stoppedByPonderMiss = Signals.stoppedByTime = false;
  Board working = Game.currentBoard;
  const GameBackup backup{Game.currentBoard, Game.gameHistory, Game.fiftyMoveCount};
  Flow.score = 0;
  PrepareMoveSearch();
  Events.searchStarting();
  std::string typed = SqueezeUpper(Signals.commandText);
  Signals.commandText.clear();

  Move opponentMove = NullMove;
  if (typed != "/R") {
    opponentMove = FindTypedOpponentMove(working, typed, Game.engineIsWhite);
    if (opponentMove.IsNull()) {
      Events.illegalMove(typed);
      return NextSearch::None;
    }
  }
  // Without an opponent's move the position's en passant pawn stays capturable (a set-up position).
  if (!opponentMove.IsNull()) ApplyMove(opponentMove, working);
  RootInput input = PrepareRootInput(working, opponentMove);
  SetSearchLimits(input.limits);
  SearchResult result = ChooseMove(input);
  if (Signals.stopSearch && Signals.commandPending && Hooks.newOrQuitPending()) return NextSearch::None;
  Flow.score = result.score;
  Move engineMove = result.move;
  if (!result.legal) {
    Events.illegalMove(typed);
    Events.searchEnded();
    return NextSearch::None;
  }
  RecordPair(working, opponentMove, result);

  if (Signals.pondering) WaitForTheOpponent();
  if (Signals.stopSearch && Signals.commandPending) {
    // Interrupted: the best move so far is played, or the predicted pair taken back.
    if (!Signals.pondering && !engineMove.IsNull()) {
      Events.engineMove(engineMove);
      Flow.engineMoveCount++;
    }
    if (Signals.pondering) TakeBackPair();
    Events.searchEnded();
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
  if (StartPondering(engineMove, result.ponderMove)) return NextSearch::Ponder;
  AnnounceGameEnd(engineMove);
  Events.searchEnded();
  return NextSearch::None;
}

void PlayMove() {
  for (NextSearch next = NextSearch::AfterPonderMiss; next == NextSearch::AfterPonderMiss;) {
    StartOwnSearch();
    while ((next = SearchOnce()) == NextSearch::Ponder) continue;
  }
}

// The engine's move a typed move names, legal on a board seen from the engine's side; NullMove if
// none.
static Move FindTypedEngineMove(const Board &board, std::string_view text) {
  Board flipped = SeenFromOtherSide(board);
  Move seen = FindTypedOpponentMove(flipped, text, !Game.engineIsWhite);
  if (seen.IsNull()) return NullMove;
  Board after = flipped;
  ApplyMove(seen, after);
  if (!IsLegalAfterMove(after, seen, OpponentSide, true)) return NullMove;
  // The same move on the engine's board: squares named as the engine sees them, kind resolved there.
  Move move = ParseMoveAs(text, Game.engineIsWhite);
  move = ResolveMove(board, move.from, move.to);
  if (move.promotion != 0) {
    const PromotionName *name = text.size() >= 5 ? FindPromotion(text[4], false) : nullptr;
    move.promotion = name != nullptr ? name->enginePiece : EngineQueen;
  }
  return move;
}

bool PlayGamePair(std::string_view opponentMove, std::string_view engineMove) {
  Board working = Game.currentBoard;
  Move opponent = NullMove;
  if (!opponentMove.empty()) {
    opponent = FindTypedOpponentMove(working, opponentMove, Game.engineIsWhite);
    if (opponent.IsNull()) return false;
    Board after = working;
    ApplyMove(opponent, after);
    if (!IsLegalAfterMove(after, opponent, OpponentSide, true)) return false;
  }
  Board afterOpponent = working;
  if (!opponent.IsNull()) ApplyMove(opponent, afterOpponent);
  Move engine = FindTypedEngineMove(afterOpponent, engineMove);
  if (engine.IsNull()) return false;

  if (!opponent.IsNull()) ReplayPly(working, opponent, 1);
  ReplayPly(working, engine, 0);
  Game.currentBoard = working;
  Flow.score = 0;
  Flow.engineMoveCount++;
  Flow.gameRecordCount++;
  if (Flow.gameRecordCount <= GameRecordLimit)
    Flow.gameRecord[Flow.gameRecordCount] = MovePair{opponent, engine, 0, 0};
  return true;
}

bool SearchAnswer(std::string_view opponentMove, int32_t maxHorizon,
                  const std::vector<std::string> &rootMoves, SearchResult &result) {
  Tree.ponderHitTime = 0;
  Tree.ponderTimeCredit = 0;
  MarkStartTime();
  Signals.stopSearch = Signals.commandPending = Signals.stoppedByPonderMiss = Signals.stoppedByTime = false;
  Board working = Game.currentBoard;
  Flow.score = 0;
  PrepareMoveSearch();
  Move opponent = NullMove;
  if (!opponentMove.empty()) {
    opponent = FindTypedOpponentMove(working, opponentMove, Game.engineIsWhite);
    if (opponent.IsNull()) return false;
  }
  if (!opponent.IsNull()) ApplyMove(opponent, working);
  RootInput input = PrepareRootInput(working, opponent);
  SetSearchLimits(input.limits);
  SearchLimits &limits = input.limits;
  limits.maxHorizon = maxHorizon;
  for (const std::string &text : rootMoves) {
    Move move = FindTypedEngineMove(working, text);
    if (!move.IsNull() && limits.rootMoveCount < MoveListSize)
      limits.rootMoves[limits.rootMoveCount++] = move;
  }
  result = ChooseMove(input);
  if (!result.legal) return false;  // the game has not counted the move
  Flow.score = result.score;
  RecordPair(working, opponent, result);
  Flow.engineMoveCount++;
  return true;
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

// ---------------------------------------------------------------------------------------------
// The game as a line of moves.

// Where the game began and every move since, in engine move text with the real square names
// (E2E4, E7E8D). The record of pairs holds the game; the line is read off it and written back.
struct GameLine {
  Board start;       // the first position, seen from the side to move there
  bool whiteToMove;  // White moves first
  std::vector<std::string> moves;
};

// False when the record does not hold the whole game as moves of alternate sides: pairs past its
// limit are not stored, and a "/R" of the interpreter in mid-game lets the engine move twice.
static bool ReadGameLine(GameLine &line) {
  int pairs = Flow.gameRecordCount;
  if (pairs > GameRecordLimit) return false;
  bool engineFirst = pairs > 0 ? Flow.gameRecord[1].opponentMove.IsNull() : Flow.engineMovesFirst;
  line.whiteToMove = engineFirst == Game.engineIsWhite;
  line.start = engineFirst ? Game.gameStartBoard : SeenFromOtherSide(Game.gameStartBoard);
  line.moves.clear();
  for (int i = 1; i <= pairs; i++) {
    const MovePair &pair = Flow.gameRecord[i];
    if (pair.opponentMove.IsNull() != (i == 1 && engineFirst)) return false;
    if (!pair.opponentMove.IsNull()) line.moves.push_back(CompactMoveText(pair.opponentMove));
    // An engine without a move (mated or stalemated) ends the game.
    if (pair.engineMove.IsNull()) return i == pairs;
    line.moves.push_back(CompactMoveText(pair.engineMove));
  }
  return true;
}

// A move of a checked line on a board seen from the engine's side, by either side.
static Move LineMove(const Board &board, const std::string &text, bool engineIsWhite) {
  Move move = ResolveMove(board, ParseSquareAs(text.substr(0, 2), engineIsWhite),
                          ParseSquareAs(text.substr(2, 2), engineIsWhite));
  const PromotionName *name = text.size() > 4 ? FindPromotion(text[4], false) : nullptr;
  if (move.promotion != 0 && name != nullptr)
    move.promotion = SideOf(board[move.from]) == EngineSide ? name->enginePiece : name->opponentPiece;
  return move;
}

// Makes the line the game, without a search, when every move of it is legal where it is played.
// The engine takes the side that moved last (before any move, the side that moves second): the
// line then ends with a whole pair and the opponent is to move, as after a move of the engine.
static bool WriteGameLine(const GameLine &line) {
  int plies = int(line.moves.size());
  if ((plies + 1) / 2 > GameRecordLimit) return false;
  Board board = SeenFromOtherSide(line.start);
  bool moverIsWhite = line.whiteToMove;
  for (const std::string &text : line.moves) {
    if (!PlayTypedMoveOnward(board, text, !moverIsWhite)) return false;
    moverIsWhite = !moverIsWhite;
  }
  bool engineFirst = plies % 2 == 1;
  Game.engineIsWhite = engineFirst == line.whiteToMove;
  Flow.engineMovesFirst = engineFirst;
  Game.gameStartBoard = engineFirst ? line.start : SeenFromOtherSide(line.start);
  Board work = Game.gameStartBoard;
  int pairs = 0;
  for (int i = 0; i < plies; i++) {
    bool engineMoves = (i % 2 == 0) == engineFirst;
    Move move = LineMove(work, line.moves[i], Game.engineIsWhite);
    if (!engineMoves || i == 0) Flow.gameRecord[++pairs] = MovePair{};  // opponent's move NullMove
    (engineMoves ? Flow.gameRecord[pairs].engineMove : Flow.gameRecord[pairs].opponentMove) = move;
    ApplyMove(move, work);
  }
  Flow.gameRecordCount = pairs;
  Flow.engineMoveCount = pairs;
  ReplayGame(pairs);
  return true;
}

bool PlayGameMove(std::string_view text) {
  std::string move = SqueezeUpper(text);
  GameLine line;
  if (move.size() < 4 || move.size() > 5 || !ReadGameLine(line)) return false;
  line.moves.push_back(ToEngineMoveText(move));
  return WriteGameLine(line);
}

bool TakeBackGameMove() {
  GameLine line;
  if (!ReadGameLine(line) || line.moves.empty()) return false;
  line.moves.pop_back();
  return WriteGameLine(line);
}

// One pair of the silent replay: the opponent's move ("/R": none) and the engine's supplied reply.
static void ReplayPair(const std::string &opponentMove, const std::string &engineMove) {
  Events.replayPair(opponentMove, engineMove);
  Flow.suppliedReply = engineMove;
  Signals.commandText = opponentMove;
  PlayMove();
}

bool PlayFromGame() {
  GameLine line;
  if (!ReadGameLine(line)) return false;
  bool kibitz = Settings.kibitzEnabled, ponder = Settings.ponderEnabled;
  Settings.kibitzEnabled = Settings.ponderEnabled = false;
  double start = ClockDays();
  int count = int(line.moves.size());
  // The engine takes the side to move after the line.
  bool engineMovesFirst = count % 2 == 0;
  // The interface has just told the clock (time, or level); the new game must not put it back
  // to the base time, or the first move of a fast game would spend minutes it does not have.
  double clockReading = Clock.timeLeft;
  StartGameFrom(engineMovesFirst ? line.start : SeenFromOtherSide(line.start),
                line.whiteToMove == engineMovesFirst);
  Flow.engineMovesFirst = engineMovesFirst;
  Clock.timeLeft = clockReading;
  Flow.suppliedReply.clear();
  Signals.commandText = "/R";
  if (count > 0) {
    Events.replayStarted(line.moves);
    int i = 0;
    if (engineMovesFirst) ReplayPair("/R", line.moves[i++]);
    for (; count - 1 - i >= 2; i += 2) ReplayPair(line.moves[i], line.moves[i + 1]);
    // A supplied move is played only if the root's first pass reaches it, and a mate found
    // before it ends that pass: then the game is written back without a search, all but its
    // last move, which is answered as the opponent's.
    GameLine replayed, played = line;
    played.moves.pop_back();
    if (!ReadGameLine(replayed) || replayed.moves != played.moves) WriteGameLine(played);
    Signals.commandText = line.moves[count - 1];
    Events.replayEnded(Signals.commandText, (ClockDays() - start) * 86400.0);
  }
  Settings.kibitzEnabled = kibitz;
  Settings.ponderEnabled = ponder;
  Flow.suppliedReply.clear();
  PlayMove();
  return true;
}

void StartGameFrom(const Board &board, bool engineIsWhite) {
  Game.engineIsWhite = engineIsWhite;
  NewGame();
  Game.currentBoard = board;
  Game.gameStartBoard = board;
  Game.gameHistory.count = 0;
  PushGamePosition(board, 0);
  Flow.engineMovesFirst = true;
}

bool SetupFromFen(std::string_view line) {
  Board board;
  bool engineIsWhite = Game.engineIsWhite;
  if (!ReadFen(line, board, engineIsWhite)) return false;
  StartGameFrom(board, engineIsWhite);  // the new position becomes the game's only entry
  return true;
}

bool SetupFromPositionFile(const std::string &name) {
  Board board;
  bool engineIsWhite = Game.engineIsWhite;
  std::string path = ResolveFileName(Settings.filePrefix + SqueezeUpper(name));
  if (!ReadPositionFile(path, board, engineIsWhite)) return false;
  StartGameFrom(board, engineIsWhite);  // the new position becomes the game's only entry
  return true;
}
