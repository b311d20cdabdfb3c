// Every test that works on the engine's state in this process starts from what start-up leaves:
// the computed tables (built once, with the smallest transposition tables) and every record reset,
// a new game on.
#pragma once

#include "driver/EngineState.h"
#include "driver/Protocol.h"

inline bool FreshEngineTablesBuilt = false;

inline void FreshEngine() {
  if (!FreshEngineTablesBuilt) InitEngineTables(1);
  FreshEngineTablesBuilt = true;
  ResetEngineState();
  ResetProtocol();
}
