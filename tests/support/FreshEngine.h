// Every test that works on the engine's state in this process starts from what start-up leaves:
// the computed tables (built once, with the smallest transposition tables) and every record reset,
// a new game on.
#pragma once

#include "driver/EngineState.h"

inline void FreshEngine() {
  static bool tablesBuilt = false;
  if (!tablesBuilt) InitEngineTables(1);
  tablesBuilt = true;
  ResetEngineState();
}
