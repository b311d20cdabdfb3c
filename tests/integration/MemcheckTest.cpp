// Memcheck over the real binaries: a short game in which the engine thinks on its opponent's time,
// and a search. Any memory error or a definitely lost byte fails. Runs on the normal build only (the
// sanitizer build checks memory itself) and is skipped when valgrind is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/EngineSession.h"
#include "support/Scratch.h"

namespace {

const std::vector<std::string> Memcheck = {"valgrind", "-q", "--error-exitcode=99", "--leak-check=full",
                                           "--errors-for-leak-kinds=definite"};

std::vector<std::string> UnderMemcheck(std::vector<std::string> command) {
  command.insert(command.begin(), Memcheck.begin(), Memcheck.end());
  return command;
}

// Why memcheck cannot run here; empty when it can.
std::string MemcheckUnavailable() {
#ifdef KRELIN_SANITIZED
  return "the sanitizer build checks memory itself";
#endif
  return std::system("valgrind --version > /dev/null 2>&1") == 0 ? "" : "valgrind is not installed";
}

TEST(MemcheckTest, PonderingGameWithoutMemoryErrors) {
  if (std::string why = MemcheckUnavailable(); !why.empty()) GTEST_SKIP() << why;
  ScratchDirectory scratch;
  scratch.Write("krelininit.txt", "HASH=1\nKIBS=1\n");
  EngineSession checked(UnderMemcheck({KRELIN_BINARY}), scratch.Path()),
      opponent(KRELIN_BINARY, scratch.Path());
  ASSERT_TRUE(checked.Handshake() && opponent.Handshake());
  opponent.Send("new\neasy\n");
  checked.Send("new\nhard\nlevel 0 0 0\ntime 0\ngo\n");
  RelayedGame game = RelayGame(checked, opponent, "time 0\n", 16, 300);
  EXPECT_EQ(game.failure, "");
  EXPECT_EQ(game.moves.size(), 16u) << game.result;
  checked.Send("remove\nquit\n");
  opponent.Send("quit\n");
  EXPECT_EQ(checked.Wait(120), 0) << "memcheck found errors (status 99) or the engine failed";
  EXPECT_EQ(opponent.Wait(), 0);
}

TEST(MemcheckTest, SearchWithoutMemoryErrors) {
  if (std::string why = MemcheckUnavailable(); !why.empty()) GTEST_SKIP() << why;
  ScratchDirectory scratch;
  ProcessResult result = RunProgram(
      UnderMemcheck({KRELIN_DEV_BINARY, "search", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R",
                     "w", "KQkq", "-", "0", "1", "7"}),
      scratch.Path(), "", 300);
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_NE(result.out.find("\nbest "), std::string::npos) << result.out;
}

}  // namespace
