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

// The search as the test mode runs it: a new game on the position, tables and killers cleared, no
// opponent move, no book, the horizon at most depth, and a time limit when seconds is above 0.
// False when the FEN is refused. The seconds of the search itself, without the new game's table
// clearing, go to searchSeconds; the result is in Tree (bestLine, rootBest, ...) and the nodes of
// all threads in SearchNodeTotal(). threads counts the main thread.
bool SearchPosition(const std::string &fen, int depth, double seconds, bool printIterations,
                    double &searchSeconds, int threads = 1);
// Takes "--threads N" (1 to 64) out of args. False, with a message, when N is not such a number.
bool TakeThreadsOption(std::vector<std::string> &args, int &threads);
