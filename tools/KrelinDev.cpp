#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "board/Board.h"
#include "tools/DevCommand.h"

namespace {
struct Entry {
  const char *usage;
  DevHandler handler;
};
std::map<std::string, Entry> &Commands() {
  static std::map<std::string, Entry> commands;  // filled before main by the DevCommand objects
  return commands;
}
}  // namespace

DevCommand::DevCommand(const char *name, const char *usage, DevHandler handler) {
  Commands()[name] = Entry{usage, handler};
}

int main(int argc, char **argv) {
  if (argc < 2 || Commands().count(argv[1]) == 0) {
    std::fprintf(stderr, "usage: krelin-dev COMMAND ...\n");
    for (const auto &[name, entry] : Commands()) std::fprintf(stderr, "  %s %s\n", name.c_str(), entry.usage);
    return 2;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  return Commands()[argv[1]].handler(args);
}
