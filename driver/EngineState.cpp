#include "driver/EngineState.h"

#include "board/Board.h"
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/PositionKey.h"
#include "book/Book.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/GameFlow.h"
#include "driver/Protocol.h"
#include "driver/Reports.h"
#include "search/Driver.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

void InitEngineTables(int hashSize) {
  InitBoardTables();
  ResetGamePosition();  // the game starts from the start board the tables just built
  SizeHashTables(hashSize);
  InitZobrist();  // after the tables are sized, as the keys have always been drawn
  InitEvaluationMasks();
}

void ResetEngineState() {
  ResetGamePosition();
  Game.engineIsWhite = false;  // the engine starts as Black
  ResetSettings();
  ResetClock();
  ResetConsole();
  ResetReports();
  ResetGameFlow();
  ResetProtocol();
  ClearSearchSignals();
  ResetSearchState();
  ClearGPawnWatch();
  ResetBookState();
  TTClear();
  NewGame();  // reads the settings and the clock reset above
}
