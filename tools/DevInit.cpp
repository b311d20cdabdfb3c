#include "board/Board.h"
#include "tools/DevCommand.h"

void DevInitTables() {
  InitBoardTables();
  InitEvaluationMasks();
}
