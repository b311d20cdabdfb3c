// A test fixture for whole conversations with the engine: a scratch directory with a small
// configuration, the real binary on a given input, or the protocol loop in this process.
//
// A clock at zero ("time 0" after a set-up, "level 0 0 0" before go) leaves the engine only its
// first pass over the root moves at depth 3: it answers at once, prints no thinking lines, never
// reads input while it searches its own move, and plays the same moves on every run.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/Protocol.h"
#include "support/EngineSession.h"
#include "support/Scratch.h"

inline const std::string GameStart = "xboard\nprotover 2\nnew\neasy\n";

// The set-up of a position for the engine to move on a clock at zero.
inline std::string FromPosition(const std::string &fen) { return GameStart + "setboard " + fen + "\ntime 0\ngo\n"; }

inline std::string UserMoves(const std::vector<std::string> &moves) {
  std::string text;
  for (const std::string &move : moves) text += "usermove " + move + "\n";
  return text;
}

inline bool IsThinkingLine(const std::string &line) {
  ThinkingLine parsed;
  return ParseThinkingLine(line, parsed);
}

// The kibitz text that follows a move whose last thinking line was this one.
inline std::string KibitzAfter(const ThinkingLine &last) {
  char pawns[32];
  std::snprintf(pawns, sizeof pawns, "%.2f", last.score / 100.0);
  std::string text("[");
  text += std::to_string(last.depth) + "] " + pawns + (last.pondered.empty() ? " " : "  ");
  for (const std::string &move : last.moves) text += move + " ";
  return text;
}

class EngineFixture : public ::testing::Test {
 protected:
  static constexpr int FeatureLines = 10;

  EngineFixture() { scratch.Write("krelininit.txt", "HASH=1\n"); }

  // The engine's lines after the features, for the whole input (closed after it).
  std::vector<std::string> Play(const std::string &input) {
    ProcessResult result = RunProgram({KRELIN_BINARY}, scratch.Path(), input, 60);
    EXPECT_FALSE(result.timedOut) << input;
    EXPECT_EQ(result.exitStatus, 0) << input;
    return WithoutFeatures(SplitLines(result.out));
  }
  // The same in this process, leaving the engine's state to inspect.
  std::vector<std::string> PlayHere(const std::string &input) {
    EXPECT_TRUE(StartUpEngine());
    return WithoutFeatures(SplitLines(RunProtocolInProcess(input)));
  }
  // Two engines play each other: White gets go after its set-up, and every move goes to the other
  // after beforeEachMove. Both are told to quit at the end and must end cleanly.
  RelayedGame PlayEngines(const std::string &whiteSetUp, const std::string &blackSetUp,
                          const std::string &beforeEachMove, int maxPlies) {
    EngineSession white(KRELIN_BINARY, scratch.Path()), black(KRELIN_BINARY, scratch.Path());
    EXPECT_TRUE(white.Handshake());
    EXPECT_TRUE(black.Handshake());
    black.Send(blackSetUp);
    white.Send(whiteSetUp + "go\n");
    RelayedGame game = RelayGame(white, black, beforeEachMove, maxPlies, 120);
    white.Send("quit\n");
    black.Send("quit\n");
    EXPECT_EQ(white.Wait(), 0);
    EXPECT_EQ(black.Wait(), 0);
    return game;
  }

  ScratchDirectory scratch;

 private:
  static std::vector<std::string> WithoutFeatures(std::vector<std::string> lines) {
    EXPECT_GE(lines.size(), size_t(FeatureLines));
    lines.erase(lines.begin(), lines.begin() + std::min(lines.size(), size_t(FeatureLines)));
    return lines;
  }
};
