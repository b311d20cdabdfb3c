// krelin-dev: the developer's view of each layer of the engine. Every subcommand lives in its own
// file and registers itself here with a DevCommand object at namespace scope.
#pragma once

#include <string>
#include <vector>

using DevHandler = int (*)(const std::vector<std::string> &args);  // args after the subcommand

struct DevCommand {
  DevCommand(const char *name, const char *usage, DevHandler handler);
};

void DevInitTables();  // the start-up tables every subcommand needs (board, keys, evaluation)
