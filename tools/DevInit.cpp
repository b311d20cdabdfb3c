#include "driver/Config.h"
#include "driver/EngineState.h"
#include "tools/DevCommand.h"

namespace {
bool tablesBuilt = false;  // the tables are built once per run, as at the engine's start-up
}  // namespace

void DevInitTables() {
  if (tablesBuilt) return;
  InitEngineTables(DefaultHashSize);
  tablesBuilt = true;
}
