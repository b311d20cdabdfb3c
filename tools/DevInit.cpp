#include "driver/Config.h"
#include "driver/EngineState.h"
#include "tools/DevCommand.h"

void DevInitTables() {
  static bool ready = false;  // the tables are built once per run, as at the engine's start-up
  if (ready) return;
  InitEngineTables(DefaultHashSize);
  ready = true;
}
