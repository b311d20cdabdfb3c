// The command interpreter: executes one command of the engine's Dutch command language held in
// Signals.commandText. A move (E2E4, or a pair E2E4;E7E5 whose second move the engine plays
// instead of searching) goes to the game flow; slash commands change settings or act:
//   /B take back a pair      /C=n moves per period   /E toggle the full evaluation
//   /H=n search horizon      /L=n minimum depth      /NIEUWSPEL new game, other colour
//   /P toggle pondering      /R move now (/R;E2E4: play E2E4)
//   /T=n seconds per move in test mode               /WBNEW new game   /WBWHITE play White
//   /VNAME run the test suite NAME (NAME.txt when it has no extension)
//   /MW, /MZ opening variants of a game collection for White, Black   /ZKEY filter games by KEY
// A backslash in front is the same as the slash. Unrecognised commands change nothing.
#pragma once

void RunCommand();
