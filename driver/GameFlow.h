// The flow of a game: the one operation that advances it (PlayMove), new games, set-up from a
// position text, and the record of the move pairs played, from which a take-back rebuilds it. What
// happens in the game (the engine's move, a refused move, the result) is reported through the
// front end's GameEvents (driver/GameEvents.h); the game flow writes no text of any protocol.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"
#include "search/Search.h"

constexpr int GameRecordLimit = 1000;  // pairs beyond this are played but not stored
constexpr int TakeBackLimit = 997;     // "/B" is refused in longer games

struct MovePair {
  Move opponentMove;  // NullMove when the engine moved first in the game
  Move engineMove;
  int16_t depth;  // depth the search reached
  int32_t score;  // from the engine's side
};

struct GameFlowState {
  MovePair gameRecord[GameRecordLimit + 1];  // used from index 1
  int32_t gameRecordCount;                   // pairs played; keeps counting past the limit
  int32_t engineMoveCount;                   // engine moves in this game
  int32_t score;                             // score of the engine's last search
  int32_t previousScore;                     // score of the engine's previous move
  double lastSearchTime;                     // elapsed time of the last move computation (days)
  // The game began with the engine to move (a set-up position, or a new game with the engine as
  // White): its first pair has no opponent's move.
  bool engineMovesFirst;
  // The engine's reply a replayed game (or a paired command) supplies for the next search, in
  // engine move text: that search plays it as soon as its root reaches it ("": none).
  std::string suppliedReply;
};
extern GameFlowState Flow;

void ResetGameFlow();
void NewGame();              // a new game from the initial position
void PlayMove();             // plays Signals.commandText ("/R": no opponent move) and answers
void ReplayGame(int pairs);  // rebuilds the game from GameStartBoard and the first pairs
void TakeBackPair();         // one pair fewer, rebuilt by ReplayGame
void PushGamePosition(const Board &board, uint8_t sideMarker);  // with its key
// The game as a line of moves from where it began, for an interface that plays neither side for a
// while (force mode, a position with its moves): the engine's colour does not matter until it is
// told to move. Moves are protocol coordinates (e2e4, e7e8q).
// A move of the side to move, validated and played on the game at once (board, history, fifty-move
// count, record); false and nothing changed when it is illegal or the game is full.
bool PlayGameMove(std::string_view text);
bool TakeBackGameMove();  // the game's last move taken back, whoever made it; false when none
// go: the engine takes the side to move and answers from the game as it stands. The game is played
// again silently from its start, the engine's moves supplied rather than searched, so repetitions
// and the fifty-move count are intact; then the last move is answered as the opponent's. False
// (nothing done) when the game is longer than its record keeps.
bool PlayFromGame();
// The game's side of a search from board, the position after the opponent's move lastMove
// (NullMove: none): the EvalState scanned from the board (king squares filled in on board too), the
// game-flow flags the evaluation reads, and the supplied reply, used up. When lastMove is legal it
// enters the game (game board, fifty-move count, history) and the book is probed into BookRecord;
// otherwise the game is as it was and the search refuses the move. The limits are left empty for
// the caller.
RootInput PrepareRootInput(Board &board, Move lastMove);
// The opponent's generated move that a typed move names on a board seen from the engine's side
// (which plays White when engineIsWhite): kind and promotion piece resolved, legality not tested.
// NullMove when the text names none.
Move FindTypedOpponentMove(const Board &board, std::string_view text, bool engineIsWhite);
// A typed move of the side to move, on a board seen from the other side: recognised and tested as
// the opponent's moves are in a game. When legal, the board becomes the position after it seen
// from the side that made it (the next mover is then the "opponent" again) and true is returned;
// otherwise nothing changes.
bool PlayTypedMoveOnward(Board &board, std::string_view text, bool engineIsWhite);
// For a front end that keeps the game's moves and the clock itself (UCI). A pair of moves the
// interface has already played, typed: the opponent's (empty: none, the engine moved first in the
// game) and the engine's; both legal, or false and nothing changed. They are counted, pushed and
// recorded as after a search of the engine's own.
bool PlayGamePair(std::string_view opponentMove, std::string_view engineMove);
// One search of the engine's answer to the opponent's typed move (empty: none, the engine moves
// first) from the game as it stands, within the clock's limits and the given depth, over the root
// moves named (typed; none: every move); nothing is written. The answer (result.move, NullMove when
// there is none) is played on the game and recorded. False, and nothing changed, when the opponent's
// move is illegal.
bool SearchAnswer(std::string_view opponentMove, int32_t maxHorizon,
                  const std::vector<std::string> &rootMoves, SearchResult &result);
// A position as its own game, the engine to move: the only history entry, no moves played (set-up
// and the tools).
void StartGameFrom(const Board &board, bool engineIsWhite);
bool SetupFromFen(std::string_view line);             // false: rejected, nothing changed
bool SetupFromPositionFile(const std::string &name);  // false: unreadable or rejected
