// The interface's limits on a search over pipes: st (seconds a move) and sd (depth), as GUIs and
// match runners send them whatever the clock says.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "support/EngineFixture.h"

namespace {

const std::string Middlegame = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8";
using Lines = std::vector<std::string>;

class TimeControlTest : public EngineFixture {
 protected:
  // Starts an engine, sends the lines and returns the engine's lines up to its move and the
  // seconds it took to answer.
  double Answer(const std::string &input, Lines &lines) {
    EngineSession engine(KRELIN_BINARY, scratch.Path());
    EXPECT_TRUE(engine.Handshake());
    auto start = std::chrono::steady_clock::now();
    engine.Send(input);
    EXPECT_TRUE(engine.ReadUntil("move ", lines));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    engine.Send("quit\n");
    EXPECT_EQ(engine.Wait(), 0);
    return seconds;
  }
  static int Deepest(const Lines &lines) {
    int depth = 0;
    for (const std::string &line : lines) {
      ThinkingLine parsed;
      if (ParseThinkingLine(line, parsed)) depth = std::max(depth, parsed.depth);
    }
    return depth;
  }
};

TEST_F(TimeControlTest, StGivesEveryMoveItsSeconds) {
  // xboard sends the clock as well, one second: the engine uses the second, not the clock's
  // margins, and answers before it is up.
  Lines lines;
  double seconds =
      Answer("new\neasy\nforce\nsetboard " + Middlegame + "\nst 1\ntime 100\notim 100\ngo\n", lines);
  EXPECT_GT(seconds, 0.5);
  EXPECT_LT(seconds, 1.5);
  EXPECT_GE(Deepest(lines), 6);
  // Without a clock line (a client library) it is the same.
  lines.clear();
  seconds = Answer("new\nst 1\neasy\nsetboard " + Middlegame + "\ngo\n", lines);
  EXPECT_GT(seconds, 0.5);
  EXPECT_LT(seconds, 1.5);
  // A later level replaces st: on a clock at zero the answer comes at once, without thinking lines.
  lines.clear();
  Answer("new\neasy\nst 30\nlevel 0 0 0\nsetboard " + Middlegame + "\ntime 0\ngo\n", lines);
  EXPECT_EQ(lines.size(), 1u);
}

TEST_F(TimeControlTest, SdStopsTheSearchAtItsDepthUntilNew) {
  Lines lines;
  Answer("new\neasy\nforce\nsetboard " + Middlegame + "\nsd 4\ntime 100000\notim 100000\ngo\n", lines);
  EXPECT_EQ(Deepest(lines), 4);
  EXPECT_GE(lines.size(), 2u);  // a depth-4 line and the move
  lines.clear();
  Answer("new\nsd 4\nnew\neasy\nsetboard " + Middlegame + "\ntime 500\ngo\n", lines);
  EXPECT_GT(Deepest(lines), 4);
}

}  // namespace
