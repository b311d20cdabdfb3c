// krelin-dev interp: runs commands of the engine's interpreter that no protocol input reaches, such
// as the test-suite runner (/VWAC) and the game-collection tools (/ZKEY, /MW, /MZ), and any other
// interpreter command before them (/H=6 for a fixed depth).
//
// The engine starts from the current directory exactly as krelin does (configuration, tables,
// books, a new game); then each argument is run as one interpreter command, in order, and the
// message line is printed whenever it has changed. There is no interface to talk to: the protocol
// output is muted, the search sees no input, and the engine does not think on an opponent's time
// that nobody takes. A file tool that fails (a missing test file, a full disk) is said on standard
// error and ends the run with status 1.
#include <cstdio>
#include <string>
#include <vector>

#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/Interpreter.h"
#include "driver/Protocol.h"
#include "driver/Reports.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "tools/DevCommand.h"

namespace {

std::string shownMessage;

void ShowMessageLine() {
  if (Reports.messageLine == shownMessage) return;
  shownMessage = Reports.messageLine;
  std::string shown = shownMessage.substr(0, shownMessage.find_last_not_of(' ') + 1);  // empty slots
  std::printf("%s\n", shown.c_str());
  std::fflush(stdout);
}

bool NoInput() { return false; }

void AnalysisLineShown(int moves, bool withScore) {
  BuildAnalysisLine(moves, withScore);
  ShowMessageLine();
}

int InterpCommand(const std::vector<std::string> &args) {
  if (!StartUpEngine()) {
    std::fprintf(stderr, "File not found (%s)\n", ConfigurationFileName);
    return 1;
  }
  Console.outputMuted = true;
  Hooks.inputWaiting = NoInput;
  Hooks.analysisLine = AnalysisLineShown;
  shownMessage = Reports.messageLine;
  for (const std::string &command : args) {
    Settings.ponderEnabled = false;
    Signals.commandText = command;
    Reports.toolFailure.clear();
    RunCommand();
    ShowMessageLine();
    // The engine has said on standard error what failed; the commands after it would build on it.
    if (!Reports.toolFailure.empty()) return 1;
  }
  return 0;
}

DevCommand interpCommand("interp", "COMMAND... (interpreter commands such as /H=6 /VWAC.TXT)", InterpCommand);

}  // namespace
