#include "driver/Config.h"
#include "driver/EngineState.h"
#include "driver/Platform.h"
#include "search/Driver.h"
#include "tools/DevCommand.h"

namespace {
bool tablesBuilt = false;  // the tables are built once per run, as at the engine's start-up
}  // namespace

void DevInitTables() {
  if (tablesBuilt) return;
  Hooks.adviseLargePages = AdviseLargePages;
  InitEngineTables(DefaultHashSize);
  tablesBuilt = true;
}
