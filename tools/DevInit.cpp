#include "board/Board.h"
#include "board/PositionKey.h"
#include "tools/DevCommand.h"

void DevInitTables() {
  InitBoardTables();
  InitZobrist();
  InitEvaluationMasks();
}
