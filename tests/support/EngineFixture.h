// A fixture for whole conversations with the engine: a scratch directory with a small
// configuration, the real binary on a given input, or the protocol loop in this process.
//
// A clock at zero ("time 0" after a set-up, "level 0 0 0" before go) leaves the engine only its
// first pass over the root moves at depth 3: it answers at once, prints no thinking lines and
// plays the same moves on every run.
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

inline std::string FromPosition(const std::string &fen) {
  return GameStart + "setboard " + fen + "\ntime 0\ngo\n";
}

inline std::string UserMoves(const std::vector<std::string> &moves, const std::string &before = "") {
  std::string text;
  for (const std::string &move : moves) text += before + "usermove " + move + "\n";
  return text;
}

// The kibitz text that follows a move whose last thinking line was this one.
inline std::string KibitzAfter(const ThinkingLine &last) {
  char head[48];
  std::snprintf(head, sizeof head, "[%d] %.2f %s", last.depth, last.score / 100.0,
                last.pondered.empty() ? "" : " ");
  std::string text(head);
  for (const std::string &move : last.moves) text += move + " ";
  return text;
}

class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture() { scratch.Write("krelininit.txt", "HASH=1\n"); }

  // The engine's lines after the ten features, for the whole input; in this process with
  // Here, leaving the engine's state to inspect.
  std::vector<std::string> Play(const std::string &input) {
    ProcessResult result = RunProgram({KRELIN_BINARY}, scratch.Path(), input, 60);
    EXPECT_EQ(result.exitStatus, 0) << input;
    return WithoutFeatures(result.out);
  }
  std::vector<std::string> PlayHere(const std::string &input) {
    EXPECT_TRUE(StartUpEngine());
    return WithoutFeatures(RunProtocolInProcess(input));
  }
  // Two engines play each other; both are told to quit at the end and must end cleanly.
  RelayedGame PlayEngines(const std::string &whiteSetUp, const std::string &blackSetUp,
                          const std::string &beforeEachMove, int maxPlies,
                          const std::string &afterEachMove = "") {
    EngineSession white(KRELIN_BINARY, scratch.Path()), black(KRELIN_BINARY, scratch.Path());
    EXPECT_TRUE(white.Handshake() && black.Handshake());
    black.Send(blackSetUp);
    white.Send(whiteSetUp + "go\n");
    RelayedGame game = RelayGame(white, black, beforeEachMove, maxPlies, 120, afterEachMove);
    white.Send("quit\n");
    black.Send("quit\n");
    EXPECT_EQ(white.Wait(), 0);
    EXPECT_EQ(black.Wait(), 0);
    return game;
  }

  ScratchDirectory scratch;

 private:
  static std::vector<std::string> WithoutFeatures(const std::string &out) {
    std::vector<std::string> lines = SplitLines(out);
    EXPECT_GE(lines.size(), 10u);
    return std::vector<std::string>(lines.begin() + std::min<size_t>(lines.size(), 10), lines.end());
  }
};
