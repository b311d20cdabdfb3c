// krelin-dev search and bench: the engine's move choice for a position, as the test mode makes it
// but untimed, and the node total over a fixed set of positions (a signature of the search and the
// evaluation: a change meant to keep behaviour keeps it).
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "board/EvalState.h"
#include "board/Move.h"
#include "board/MoveText.h"
#include "board/Setup.h"
#include "board/Text.h"
#include "book/Book.h"
#include "driver/Clock.h"
#include "driver/EngineState.h"
#include "driver/GameFlow.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"
#include "tools/DevCommand.h"

namespace {

const char *const BenchPositions[] = {
    // Openings
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    "rnbqk2r/ppp1ppbp/3p1np1/8/2PPP3/2N5/PP3PPP/R1BQKBNR w KQkq - 1 5",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5",
    "rnbqkb1r/ppp2ppp/4pn2/3p4/2PP4/2N5/PP2PPPP/R1BQKBNR w KQkq - 2 4",
    // Middlegames
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 3 8",
    "2rq1rk1/pp1bppbp/3p1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 4 12",
    "r2q1rk1/1b2bppp/p2ppn2/1p6/3BP3/1BN2Q2/PPP2PPP/R4RK1 w - - 2 13",
    "r1b2rk1/2q1bppp/p2ppn2/1p6/3BPP2/2N2B2/PPP1Q1PP/R4RK1 w - - 0 14",
    "3r1rk1/p1q2ppp/1pn1p3/2b1P3/2P5/2B2N2/P1Q2PPP/3R1RK1 b - - 1 19",
    "r1bqr1k1/pp3pbp/2pp1np1/4p3/2PPP3/2N1BP2/PP1Q2PP/R3KBNR w KQ - 0 10",
    "rnbqkb1r/pppp1ppp/5n2/4p3/2B1P3/8/PPPP1PPP/RNBQK1NR w KQkq - 2 3",
    // Tactics and mates
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4",
    "2r3k1/p4p2/3Rp2p/1p2P1pK/8/1P4P1/P3Q2P/1q6 b - - 0 1",
    "r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1",
    "1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5 b - - 0 1",
    // Endgames and promotions
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/8/4k3/8/2p5/8/B2K4/8 w - - 0 1",
    "8/5k2/8/3P4/8/8/5K2/8 w - - 0 1",
    "8/P7/8/8/8/8/6k1/K7 w - - 0 1",
    "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1",
    "8/8/1p1k4/1P6/2PK4/8/8/8 w - - 0 1",
    "6k1/8/6K1/8/8/8/8/7R w - - 0 1",
    "8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
};

constexpr int BenchDefaultDepth = 8;  // the depth whose total the README quotes

std::string JoinWords(const std::vector<std::string> &words) {
  std::string text;
  for (const std::string &word : words) text += word + " ";
  return text;
}

std::string LineText(const PrincipalLine &line) {
  std::string text;
  for (int k = 1; k < LineLength && !line.move[k].IsNull(); k++) {
    text += ' ';
    text += CompactMoveText(line.move[k]);
  }
  return text;
}

void PrintIteration() {
  std::printf("iter %d %d %" PRIu64 "%s\n", Tree.horizon, Tree.rootBest, SearchNodeTotal(),
              LineText(Tree.driverLine).c_str());
  std::fflush(stdout);
}

int SearchCommand(const std::vector<std::string> &arguments) {
  std::vector<std::string> args = arguments;
  int threads = 1;
  if (!TakeThreadsOption(args, threads)) return 2;
  if (args.size() < 2) {
    std::fprintf(stderr, "krelin-dev: expected FEN and DEPTH\n");
    return 2;
  }
  bool error = false;
  int depth = ParseNumber(args.back(), error);
  if (error || depth < 1) {
    std::fprintf(stderr, "krelin-dev: not a depth: %s\n", args.back().c_str());
    return 2;
  }
  std::string fen = JoinWords(std::vector<std::string>(args.begin(), args.end() - 1));
  double seconds = 0;
  if (!SearchPosition(fen, depth, 0, true, seconds, threads)) {
    std::fprintf(stderr, "krelin-dev: not a usable FEN position: %s\n", fen.c_str());
    return 1;
  }
  Move best = Tree.bestLine.move[1];
  std::printf("best %s %d %" PRIu64 "\n", best.IsNull() ? "none" : CompactMoveText(best).c_str(),
              Tree.rootBest, SearchNodeTotal());
  return 0;
}

int BenchCommand(const std::vector<std::string> &arguments) {
  std::vector<std::string> args = arguments;
  int threads = 1;
  if (!TakeThreadsOption(args, threads)) return 2;
  int depth = BenchDefaultDepth;
  if (!args.empty()) {
    bool error = false;
    depth = ParseNumber(args[0], error);
    if (error || depth < 1) {
      std::fprintf(stderr, "krelin-dev: not a depth: %s\n", args[0].c_str());
      return 2;
    }
  }
  uint64_t total = 0;
  double seconds = 0;
  int index = 0;
  for (const char *fen : BenchPositions) {
    index++;
    double searchSeconds = 0;
    if (!SearchPosition(fen, depth, 0, false, searchSeconds, threads)) {
      std::fprintf(stderr, "krelin-dev: bench position %d refused\n", index);
      return 1;
    }
    Move best = Tree.bestLine.move[1];
    std::printf("%2d %-6s %6d %10" PRIu64 "  %s\n", index,
                best.IsNull() ? "none" : CompactMoveText(best).c_str(), Tree.rootBest, SearchNodeTotal(),
                fen);
    total += SearchNodeTotal();
    seconds += searchSeconds;
  }
  // Each position starts a new game, which clears the transposition tables: that is bench
  // overhead, not play, so only the searches are timed.
  std::printf("(search time only: clearing the tables between positions is not timed)\n");
  std::printf("bench: %" PRIu64 " nodes %.0f nps\n", total, seconds > 0 ? double(total) / seconds : 0.0);
  return 0;
}

DevCommand searchCommand("search", "FEN DEPTH [--threads N]", SearchCommand);
DevCommand benchCommand("bench", "[DEPTH] [--threads N]", BenchCommand);

}  // namespace

bool TakeThreadsOption(std::vector<std::string> &args, int &threads) {
  for (size_t i = 0; i < args.size(); i++) {
    if (args[i] != "--threads") continue;
    bool error = i + 1 >= args.size();
    if (!error) threads = ParseNumber(args[i + 1], error);
    if (error || threads < 1 || threads > MaxSearchThreads) {
      std::fprintf(stderr, "krelin-dev: --threads takes a number from 1 to %d\n", MaxSearchThreads);
      return false;
    }
    args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
    return true;
  }
  return true;
}

bool SearchPosition(const std::string &fen, int depth, double seconds, bool printIterations,
                    double &searchSeconds, int threads) {
  DevInitTables();
  Board board;
  bool engineIsWhite = true;
  if (!ReadFen(fen, board, engineIsWhite)) return false;
  ResetEngineState();
  StartGameFrom(board, engineIsWhite);
  Hooks.elapsedTime = ElapsedTime;  // the time limit of solve
  Hooks.restartClock = MarkStartTime;
  Signals.timedMode = false;
  Books.useBook = false;
  Hooks.iterationDone = printIterations ? PrintIteration : nullptr;
  PrepareMoveSearch();
  RootInput input = PrepareRootInput(board, NullMove);
  input.limits.maxHorizon = depth;
  input.limits.testMode = true;
  input.limits.testTimed = seconds > 0;
  input.limits.testTimeLimit = seconds / 86400.0;
  input.limits.threadCount = threads;
  auto start = std::chrono::steady_clock::now();
  MarkStartTime();
  ChooseMove(input);
  searchSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return true;
}
