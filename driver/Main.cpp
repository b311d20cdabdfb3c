// The program's entry: start-up, then the first command chooses the protocol. "uci" starts the
// UCI front end; anything else is the first line of the xboard dialogue.
#include <string>

#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/Platform.h"
#include "driver/Protocol.h"
#include "driver/Uci.h"

int main() {
  if (!StartUpEngine()) {
    ShowFatalMessage(std::string("File not found (") + ConfigurationFileName + ")");
    return 1;
  }
  ReadInputLine(false);
  if (IsUciCommand(Console.inputLine))
    RunUciLoop();
  else
    RunProtocolLoop();
  return 0;
}
