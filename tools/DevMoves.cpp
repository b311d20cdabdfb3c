// krelin-dev perft, divide, moves and key: the move generator as the search sees it.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "board/EvalState.h"
#include "board/GameRecord.h"
#include "board/Move.h"
#include "board/MoveText.h"
#include "board/Perft.h"
#include "board/PositionKey.h"
#include "board/Setup.h"
#include "board/Text.h"
#include "tools/DevCommand.h"

namespace {

// A FEN given as one quoted argument or split over several: the words are joined with blanks. A
// trailing blank lets a side letter at the very end still read as the side marker.
std::string JoinFen(const std::vector<std::string> &words) {
  std::string fen;
  for (const std::string &word : words) fen += word + " ";
  return fen;
}

// Sets up the position as the engine sees it; the square names follow its colour.
bool SetUp(const std::string &fen, Board &board) {
  DevInitTables();
  bool engineIsWhite = true;
  if (!ReadFen(fen, board, engineIsWhite)) {
    std::fprintf(stderr, "krelin-dev: not a usable FEN position: %s\n", fen.c_str());
    return false;
  }
  Game.engineIsWhite = engineIsWhite;
  return true;
}

// FEN words then DEPTH last; --time anywhere asks for the speed on stderr.
bool ParseFenAndDepth(std::vector<std::string> args, Board &board, int &depth, bool &timed) {
  timed = false;
  std::erase_if(args, [&timed](const std::string &arg) { return arg == "--time" && (timed = true); });
  if (args.size() < 2) {
    std::fprintf(stderr, "krelin-dev: expected FEN and DEPTH\n");
    return false;
  }
  bool error = false;
  depth = ParseNumber(args.back(), error);
  if (error) {
    std::fprintf(stderr, "krelin-dev: not a depth: %s\n", args.back().c_str());
    return false;
  }
  args.pop_back();
  return SetUp(JoinFen(args), board);
}

void ReportSpeed(uint64_t leaves, std::chrono::steady_clock::time_point start) {
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "%" PRIu64 " leaves in %.3f s: %.0f leaves/s\n", leaves, seconds,
               seconds > 0 ? double(leaves) / seconds : 0.0);
}

int PerftCommand(const std::vector<std::string> &args) {
  Board board;
  int depth = 0;
  bool timed = false;
  if (!ParseFenAndDepth(args, board, depth, timed)) return 1;
  auto start = std::chrono::steady_clock::now();
  uint64_t leaves = Perft(board, EvalState{}, depth, true);
  std::printf("%" PRIu64 "\n", leaves);
  if (timed) ReportSpeed(leaves, start);
  return 0;
}

int DivideCommand(const std::vector<std::string> &args) {
  Board board;
  int depth = 0;
  bool timed = false;
  if (!ParseFenAndDepth(args, board, depth, timed)) return 1;
  if (depth < 1) depth = 1;
  auto start = std::chrono::steady_clock::now();
  uint64_t total = 0;
  ForEachLegalChild(board, EvalState{}, true,
                    [&](Move move, const Board &child, const EvalState &childState) {
                      uint64_t leaves = Perft(child, childState, depth - 1, false);
                      std::printf("%s %" PRIu64 "\n", CompactMoveText(move).c_str(), leaves);
                      total += leaves;
                    });
  std::printf("total %" PRIu64 "\n", total);
  if (timed) ReportSpeed(total, start);
  return 0;
}

int MovesCommand(const std::vector<std::string> &args) {
  std::vector<std::string> words = args;
  bool opponent = std::erase(words, std::string("--opponent")) > 0;
  Board board;
  if (words.empty()) {
    std::fprintf(stderr, "krelin-dev: expected FEN\n");
    return 1;
  }
  if (!SetUp(JoinFen(words), board)) return 1;
  ForEachNodeMove(board, !opponent,
                  [](Move move) { std::printf("%s %d\n", CompactMoveText(move).c_str(), int(move.kind)); });
  return 0;
}

int KeyCommand(const std::vector<std::string> &args) {
  Board board;
  if (args.empty()) {
    std::fprintf(stderr, "krelin-dev: expected FEN\n");
    return 1;
  }
  if (!SetUp(JoinFen(args), board)) return 1;
  std::printf("%016" PRIX64 "\n", ComputeKey(board));
  return 0;
}

DevCommand perftCommand("perft", "FEN DEPTH [--time]: leaf count of the search's move tree", PerftCommand);
DevCommand divideCommand("divide", "FEN DEPTH [--time]: leaf count per root move, then the total",
                         DivideCommand);
DevCommand movesCommand("moves", "FEN [--opponent]: captures then quiet moves with their kinds",
                        MovesCommand);
DevCommand keyCommand("key", "FEN: the position key in hexadecimal", KeyCommand);

}  // namespace
