#include "board/GameRecord.h"

#include "board/Geometry.h"
#include "board/Move.h"

GamePosition Game;

void ResetGamePosition() {
  Game.currentBoard = StartBoard;
  Game.gameStartBoard = StartBoard;
  Game.gameHistory.count = 0;
  Game.fiftyMoveCount = 0;
}
void HistoryPush(const Board &board, uint8_t sideMarker, uint32_t keyLow, uint32_t keyHigh) {
  GameHistoryRecord &history = Game.gameHistory;
  history.count++;
  if (history.count > HistoryLimit) {
    // The oldest entries are overwritten from the front: the entry that was last moves to 1.
    history.entry[1] = history.entry[HistoryLimit];
    history.count = HistoryLimit;
  }
  HistoryEntry &entry = history.entry[history.count];
  entry.board = board;
  entry.sideMarker = sideMarker;
  entry.keyLow = keyLow;
  entry.keyHigh = keyHigh;
}

static bool HistoryHas(const GameHistoryRecord &history, int required, const Board &board, uint8_t sideMarker,
                       uint32_t keyLow, uint32_t keyHigh) {
  int found = 0;
  for (int i = history.count; i >= 1; i--) {
    const HistoryEntry &entry = history.entry[i];
    if (entry.sideMarker == sideMarker && entry.keyLow == keyLow && entry.keyHigh == keyHigh &&
        SamePosition(entry.board, board) && ++found >= required)
      return true;
  }
  return false;
}

bool IsRepeated(const GameHistoryRecord &history, const Board &board, uint8_t sideMarker, uint32_t keyLow,
                uint32_t keyHigh) {
  return HistoryHas(history, 1, board, sideMarker, keyLow, keyHigh);
}

bool IsTwofold(const GameHistoryRecord &history, const Board &board, uint8_t sideMarker, uint32_t keyLow,
               uint32_t keyHigh) {
  return HistoryHas(history, 2, board, sideMarker, keyLow, keyHigh);
}

bool IsThreefold(const Board &board, uint8_t sideMarker, uint32_t keyLow, uint32_t keyHigh) {
  return HistoryHas(Game.gameHistory, 3, board, sideMarker, keyLow, keyHigh);
}

void CountFiftyMoveRule(uint8_t movingPiece, int8_t kind) {
  bool irreversible = movingPiece == EnginePawn || movingPiece == OpponentPawn || kind == 0 ||
                      kind == EnPassantMove || kind == CaptureMove;
  Game.fiftyMoveCount = irreversible ? 0 : Game.fiftyMoveCount + 1;
  if (Game.fiftyMoveCount == 0) Game.gameHistory.count = 0;
}
