// The flow of a game: the one operation that advances it (PlayMove), new games, set-up from a
// position text, and the record of the move pairs played, from which a take-back rebuilds it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"

constexpr int GameRecordLimit = 1000;  // pairs beyond this are played but not stored
constexpr int TakeBackLimit = 997;     // "/B" is refused in longer games

struct MovePair {
  Move opponentMove;  // NullMove when the engine moved first in the game
  Move engineMove;
  uint8_t opponentCapture;  // piece taken by the opponent's move, 0 = none
  uint8_t engineCapture;
  int16_t depth;    // depth the search reached
  int32_t score;    // from the engine's side
  double timeUsed;  // days
};

struct GameFlowState {
  MovePair gameRecord[GameRecordLimit + 1];  // used from index 1
  int32_t gameRecordCount;                   // pairs played; keeps counting past the limit
  int32_t engineMoveCount;                   // engine moves in this game
  int32_t score;                             // score of the engine's last search
  int32_t previousScore;                     // score of the engine's previous move
  double lastSearchTime;                     // elapsed time of the last move computation (days)
};
extern GameFlowState Flow;

void ResetGameFlow();
void NewGame();              // a new game from the initial position
void PlayMove();             // plays Signals.commandText ("/R": no opponent move) and answers
void ReplayGame(int pairs);  // rebuilds the game from GameStartBoard and the first pairs
void TakeBackPair();         // one pair fewer, rebuilt by ReplayGame
void PushGamePosition(const Board &board, uint8_t sideMarker);  // with its key
// The inputs of a search from this position (after the opponent's move): the EvalState scanned
// from the board (king squares filled in) and the game-flow flags the search and evaluation read.
EvalState SetUpSearchInputs(Board &board);
// The opponent's generated move that a typed move names on a board seen from the engine's side
// (which plays White when engineIsWhite): kind and promotion piece resolved, legality not tested.
// NullMove when the text names none.
Move FindTypedOpponentMove(const Board &board, std::string_view text, bool engineIsWhite);
// A typed move of the side to move, on a board seen from the other side: recognised and tested as
// the opponent's moves are in a game. When legal, the board becomes the position after it seen
// from the side that made it (the next mover is then the "opponent" again) and true is returned;
// otherwise nothing changes.
bool PlayTypedMoveOnward(Board &board, std::string_view text, bool engineIsWhite);
// A position as its own game: the only history entry, no moves played (set-up and the tools).
void StartGameFrom(const Board &board, bool engineIsWhite);
bool SetupFromFen(std::string_view line);             // false: rejected, nothing changed
bool SetupFromPositionFile(const std::string &name);  // false: unreadable or rejected
