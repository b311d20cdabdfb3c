// The flow of a game: the one operation that advances it (PlayMove), new games, set-up from a
// position text, and the record of the move pairs played, from which a take-back rebuilds it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "board/Board.h"

constexpr int GameRecordLimit = 1000;  // pairs beyond this are played but not stored
constexpr int TakeBackLimit = 997;     // "/B" is refused in longer games

struct MovePair {
  Move opponentMove;      // NullMove when the engine moved first in the game
  Move engineMove;
  uint8_t opponentCapture;  // piece taken by the opponent's move, 0 = none
  uint8_t engineCapture;
  int16_t depth;          // depth the search reached
  int32_t score;          // from the engine's side
  double timeUsed;        // days
};

struct GameFlowState {
  MovePair gameRecord[GameRecordLimit + 1];  // used from index 1
  int32_t gameRecordCount;  // pairs played; keeps counting past the limit
  int32_t engineMoveCount;  // engine moves in this game
  int32_t score;            // score of the engine's last search
  int32_t previousScore;    // score of the engine's previous move
  double lastSearchTime;    // elapsed time of the last move computation (days)
};
extern GameFlowState Flow;

void ResetGameFlow();
void NewGame();                 // a new game from the initial position
void PlayMove();                // plays Signals.commandText ("/R": no opponent move) and answers
void ReplayGame(int pairs);     // rebuilds the game from GameStartBoard and the first pairs
void TakeBackPair();            // one pair fewer, rebuilt by ReplayGame
void PushGamePosition(const Board &board, uint8_t sideMarker);  // with its key
// The inputs of a search from this position (after the opponent's move): the EvalState scanned
// from the board (king squares filled in) and the game-flow flags the search and evaluation read.
EvalState SetUpSearchInputs(Board &board);
// A position as its own game: the only history entry, no moves played (set-up and the tools).
void StartGameFrom(const Board &board, bool engineIsWhite);
bool SetupFromFen(std::string_view line);              // false: rejected, nothing changed
// After a set-up, the side to move (the engine's side so far) played this move (engine move text)
// before the engine was told to go: the engine takes the other side, on the position after the
// move, as a new game. False, with nothing changed, when the move is not legal there.
bool PlaySetUpMoverFirst(const std::string &moveText);
bool SetupFromPositionFile(const std::string &name);   // false: unreadable or rejected
