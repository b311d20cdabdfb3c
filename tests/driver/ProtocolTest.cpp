#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "board/Board.h"
#include "board/GameRecord.h"
#include "board/Move.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/GameFlow.h"
#include "driver/Interpreter.h"
#include "driver/Protocol.h"
#include "driver/Reports.h"
#include "search/SearchControl.h"
#include "support/Scratch.h"

namespace {

constexpr double Second = 1.0 / 86400.0;
const std::string Handshake = "xboard\nprotover 2\n";

std::string Features(bool reuse) {
  return std::string(
             "feature done=0\nfeature myname=\"KrelinChess 070525\"\nfeature san=0\nfeature usermove=1\n") +
         "feature analyze=0\nfeature setboard=1\nfeature reuse=" + (reuse ? "1" : "0") +
         "\nfeature sigterm=0\nfeature sigint=0\nfeature done=1\n";
}

class ProtocolTest : public ::testing::Test {
 protected:
  // Starts the engine in the scratch directory with this configuration and runs the protocol.
  std::string Run(const std::string &input, const std::string &configuration = "HASH=1\n") {
    scratch.Write("krelininit.txt", configuration);
    EXPECT_TRUE(StartUpEngine());
    return RunProtocolInProcess(input);
  }
  ScratchDirectory scratch;
};

TEST_F(ProtocolTest, HandshakeWritesTheTenFeatureLines) {
  EXPECT_EQ(Run("xboard\nnew\nprotover 2\nquit\n"), Features(true));
  EXPECT_EQ(Run(Handshake + "quit\n", "HASH=1\nQUIT=1\n"), Features(false));
}

TEST_F(ProtocolTest, FirstNewStartsNoGameASecondDoes) {
  Run(Handshake + "new\ntime 1000\nquit\n");
  EXPECT_NEAR(Clock.timeLeft / Second, 9.7, 1e-9);
  EXPECT_FALSE(Protocol.ignoreFirstNew);
  Run(Handshake + "easy\nnew\ntime 1000\nnew\nquit\n");
  EXPECT_FALSE(Settings.ponderEnabled);
  EXPECT_NEAR(Clock.timeLeft / Second, 12 * 3600.0, 1e-6);  // a new game resets the clock
  EXPECT_FALSE(Game.engineIsWhite);
}

TEST_F(ProtocolTest, ForceModeCollectsUpToTwoThousandMovesAndUndoesThem) {
  std::string input = Handshake + "force\n";
  for (int i = 1; i <= 2001; i++) input += i % 2 ? "usermove e2e4\n" : "e7e8q\n";
  Run(input + "quit\n");
  EXPECT_TRUE(Protocol.forceMode);
  EXPECT_EQ(Protocol.forceCount, 2000);
  EXPECT_EQ(Protocol.forceMoves[1], "E2E4");
  EXPECT_EQ(Protocol.forceMoves[2000], "E7E8D");
  for (auto [moves, left] :
       {std::pair{"force\ne2e4\ne7e5\nundo\n", 1}, std::pair{"force\ne2e4\nundo\nundo\n", 0}}) {
    Run(Handshake + moves + "quit\n");
    EXPECT_EQ(Protocol.forceCount, left) << moves;
  }
}

TEST_F(ProtocolTest, ResultQuitsOnlyWithQuitAfterResult) {
  Run(Handshake + "time 1000\nresult 1-0 {White mates}\ntime 2000\nquit\n");
  EXPECT_NEAR(Clock.timeLeft / Second, 19.7, 1e-9);
  Run(Handshake + "force\ne2e4\ntime 1000\nresult 1-0\ntime 2000\n", "QUIT=1\n");
  EXPECT_TRUE(Protocol.quitRequested);
  EXPECT_FALSE(Protocol.forceMode);
  EXPECT_NEAR(Clock.timeLeft / Second, 9.7, 1e-9);  // nothing after the result was read
}

TEST_F(ProtocolTest, SetUpWaitTakesTheClockAndDiscardsOtherCommands) {
  // Black to move with a single legal move: the engine answers it once go arrives.
  std::string wait = "usermove e7e5\nlevel 40 5 0\ntime 6000\nforce\ngo\nquit\n";
  std::string setUp = "setboard 7k/8/8/8/8/8/8/K5R1 b - - 0 1\n";
  std::vector<std::string> lines = SplitLines(Run(Handshake + setUp + wait));
  EXPECT_EQ(lines.at(10), "Illegal move: E7E5");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string &line) { return line.rfind("move", 0) == 0; }),
            1);
  EXPECT_FALSE(Game.engineIsWhite);
  EXPECT_NEAR(Clock.timeLeft / Second, 55, 4.7);  // the level and time lines were read
  EXPECT_EQ(Clock.movesPerPeriod, 40);
  EXPECT_FALSE(Protocol.forceMode);
  EXPECT_EQ(Flow.gameRecord[1].engineMove, (Move{28, 38, QuietMove, 0}));  // h8h7: Black is at the bottom
}

TEST_F(ProtocolTest, TextThatIsNotAMoveNeverReachesTheInterpreter) {
  // The interpreter's slash commands would run a test suite, switch to test mode or take back.
  std::string input = "usermove /VTT\nusermove /H=3\nusermove \\R\nusermove\nforce\nusermove /B\n";
  std::string refusals =
      "Illegal move: /VTT\nIllegal move: /H=3\nIllegal move: \\R\nIllegal move: /B\nIllegal move: Z9\n";
  EXPECT_EQ(Run(Handshake + input + "usermove z9\nquit\n"), Features(true) + refusals);
  EXPECT_FALSE(scratch.Exists("testresultaat_TT.txt"));
  EXPECT_FALSE(Settings.testMode);
  EXPECT_EQ(Protocol.forceCount, 0);
  EXPECT_EQ(Flow.gameRecordCount, 0);
}

TEST_F(ProtocolTest, ConsoleLogMirrorsEveryLine) {
  std::string longLine(300, 'x');
  Run(Handshake + longLine + "\nforce\ne2e4\ne7e5\ng1f3\ngo\nquit\n", "CLOG=1\nKIBS=1\n");
  std::vector<std::string> log = SplitLines(scratch.Read("conlogbestand.txt"));
  ASSERT_GE(log.size(), 20u);
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5),
            (std::vector<std::string>{"KrelinChess 070525 P+ E0 L12 O11 C0", "Kibitz aan", "in:  xboard",
                                      "in:  protover 2", "uit: feature done=0"}));
  EXPECT_EQ(log[14], "in:  " + std::string(250, 'x'));  // cut at 250 characters
  EXPECT_EQ(log[19], "in:  go");
  // Three moves: the engine is Black, the first two go over as a pair, the last is answered.
  std::vector<std::string> replay;
  std::copy_if(log.begin(), log.end(), std::back_inserter(replay),
               [](const std::string &line) { return line.compare(0, 2, "fb") == 0; });
  EXPECT_EQ(replay,
            (std::vector<std::string>{"fb= E2E4", "fb= E7E5", "fb= G1F3", "fb> E2E4;E7E5", "fb> G1F3"}));
  EXPECT_EQ(log.back(), "in:  quit");
  EXPECT_NE(scratch.Read("conlogbestand.txt").find("\r\n"), std::string::npos);
  EXPECT_FALSE(Game.engineIsWhite);
  EXPECT_TRUE(Settings.kibitzEnabled);  // restored after the silent replay
}

TEST_F(ProtocolTest, GoTakesTheSideToMoveAndKeepsTheClock) {
  // A minutes:seconds level falls back to five minutes; the time line before go still counts.
  Run(Handshake + "new\nlevel 0 0:20 0\ntime 2000\ngo\nquit\n");
  EXPECT_NEAR(Clock.baseTime / Second, 300.0, 1e-6);
  EXPECT_NEAR(Clock.timeLeft / Second, 19.7, 1e-6);
  EXPECT_TRUE(Game.engineIsWhite);
  // After an even number of collected moves the engine is White too.
  Run(Handshake + "force\ne2e4\ne7e5\ngo\nquit\n", "CLOG=1\n");
  EXPECT_TRUE(Game.engineIsWhite);
  std::vector<std::string> replay;
  for (const std::string &line : SplitLines(scratch.Read("conlogbestand.txt")))
    if (line.compare(0, 3, "fb>") == 0) replay.push_back(line);
  EXPECT_EQ(replay, (std::vector<std::string>{"fb> \\R;E2E4", "fb> E7E5"}));
}

class InterpreterTest : public ProtocolTest {
 protected:
  void Command(const std::string &text) {
    Signals.commandText = text;
    RunCommand();
  }
};

TEST_F(InterpreterTest, BadValuesChangeNothing) {
  Run("");
  for (const char *bad : {"/T=abc", "/C=-3", "/T", "/X", "/M", "/WBX"}) Command(bad);
  EXPECT_TRUE(Settings.testTimed);
  EXPECT_NEAR(Settings.testTimeLimit / Second, 120, 1e-9);
  EXPECT_EQ(Clock.movesPerPeriod, 0);
  EXPECT_EQ(Reports.settingsLine, " P+ E0 L12 O11 C0");
  Command("/T=0");
  EXPECT_FALSE(Settings.testTimed);
  for (const char *good : {"\\c=40", "/E", "/P"}) Command(good);
  EXPECT_EQ(Reports.settingsLine, " P- E1 L12 O11 C40");
}

}  // namespace
