// The game as the game flow keeps it: the current and starting positions, the positions played
// since the last irreversible move (for repetition tests), the fifty-move count and the engine's
// colour. Entries 1..count of the history are in use.
//
//   ResetGamePosition     the start position, history and counters empty
//   HistoryPush           appends a position; past the limit the last entry moves to 1
//   IsRepeated / IsTwofold   one or two matching entries of a history (the search's root input)
//   IsThreefold           three matching entries of the game's own history
//   CountFiftyMoveRule    the fifty-move count after a ply; empties the history when irreversible
#pragma once

#include <cstdint>

#include "board/Board.h"

// ---------------------------------------------------------------------------------------------
// Game history.
constexpr int HistoryLimit = 110;

struct HistoryEntry {
  Board board;
  uint8_t sideMarker;  // 0 from the game flow and set-up, 1 for the search's root
  uint32_t keyLow;
  uint32_t keyHigh;
};

struct GameHistoryRecord {
  HistoryEntry entry[HistoryLimit + 1];
  int32_t count;
};

// The game as the game flow keeps it. The engine's colour lives here because square names,
// set-up and the books read it, and they sit below the driver.
struct GamePosition {
  Board currentBoard;    // the position of the game now
  Board gameStartBoard;  // where the current game or set-up began
  GameHistoryRecord gameHistory;
  int32_t fiftyMoveCount;  // plies since the last irreversible one
  bool engineIsWhite;      // the odd side is White; false mirrors the mailbox
};
extern GamePosition Game;

// ---------------------------------------------------------------------------------------------
void ResetGamePosition();  // CurrentBoard := StartBoard, history and counters empty
void HistoryPush(const Board &board, uint8_t sideMarker, uint32_t keyLow, uint32_t keyHigh);
bool IsRepeated(const GameHistoryRecord &history, const Board &board, uint8_t sideMarker, uint32_t keyLow,
                uint32_t keyHigh);
bool IsTwofold(const GameHistoryRecord &history, const Board &board, uint8_t sideMarker, uint32_t keyLow,
               uint32_t keyHigh);
bool IsThreefold(const Board &board, uint8_t sideMarker, uint32_t keyLow, uint32_t keyHigh);
// Updates FiftyMoveCount for a ply played in the game by the given piece; empties the history
// when the ply was irreversible. The caller pushes the new position afterwards.
void CountFiftyMoveRule(uint8_t movingPiece, int8_t kind);
