// What the game flow reports while it plays a game: the engine's moves, the opponent's moves it
// refuses, resignation and the end of the game, the silent replay of a game before the engine
// answers it, and the wait for the opponent after a ponder search that ended by itself. The game
// flow knows no protocol: the front end fills this record (as it fills the search's hooks) and
// turns each report into its own text. The record lives with the game flow (driver/GameFlow.cpp);
// until a front end fills it the game is played silently.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "board/Move.h"

// Why the game is over, as the engine announces it after its search: it has no move and is not in
// check, or after its move the fifty-move rule or a third repetition holds, or it has mated. A mate
// of the engine or a stalemate of the opponent is the interface's to see.
enum class GameEnd { Stalemate, FiftyMoves, Repetition, EngineMates };

struct GameEvents {
  void (*searchStarting)();                     // a search of the game begins: its thinking output anew
  void (*illegalMove)(std::string_view typed);  // the opponent's move, refused; nothing was played
  void (*engineMove)(Move move);                // the engine plays this move
  // A search ran its course and its move (none when mated or stalemated) is final: the front end's
  // own reports that follow a move.
  void (*moveFinal)();
  void (*resigned)(bool engineIsWhite);                // the engine gives up instead of moving
  void (*gameEnded)(GameEnd end, bool engineIsWhite);  // after the engine's final move
  void (*searchEnded)();                               // the search of a move is over, with a move or without
  // The engine waits for the opponent's move after pondering: one line read and acted on. Done
  // when the command text or a pending command is there.
  void (*waitForCommand)();
  // A game played again silently from its start (go): the moves of the whole game, then each pair
  // as it is replayed (the opponent's move "/R" when the engine moved first), then the last move,
  // which the engine answers with a search, and the seconds the replay took.
  void (*replayStarted)(const std::vector<std::string> &moves);
  void (*replayPair)(std::string_view opponentMove, std::string_view engineMove);
  void (*replayEnded)(std::string_view lastMove, double seconds);
};
extern GameEvents Events;
// Reports nobody hears; a wait for the opponent ends as if the interface had gone (a command is
// pending, the search stops).
GameEvents SilentGameEvents();
