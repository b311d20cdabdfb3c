// The game flow without any protocol: PlayMove reports to a recording events record what happened
// (the engine's move, a refused move, the end of the game, the silent replay), in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/GameRecord.h"
#include "board/MoveText.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/Engine.h"
#include "driver/GameFlow.h"
#include "search/Driver.h"
#include "search/SearchControl.h"
#include "support/FreshEngine.h"

namespace {

using Lines = std::vector<std::string>;
Lines Reported;

std::string Join(const std::vector<std::string> &moves) {
  std::string text;
  for (const std::string &move : moves) text += (text.empty() ? "" : " ") + move;
  return text;
}

const char *EndName(GameEnd end) {
  switch (end) {
    case GameEnd::Stalemate:
      return "stalemate";
    case GameEnd::FiftyMoves:
      return "fifty moves";
    case GameEnd::Repetition:
      return "repetition";
    case GameEnd::EngineMates:
      return "mates";
  }
  return "?";
}

const char *Colour(bool white) { return white ? " white" : " black"; }

GameEvents Recorder() {
  GameEvents events = SilentGameEvents();
  events.illegalMove = [](std::string_view typed) { Reported.push_back("illegal " + std::string(typed)); };
  events.engineMove = [](Move move) { Reported.push_back("move " + CompactMoveText(move)); };
  events.moveFinal = [] { Reported.push_back("final"); };
  events.resigned = [](bool white) { Reported.push_back(std::string("resigns") + Colour(white)); };
  events.gameEnded = [](GameEnd end, bool white) {
    Reported.push_back(EndName(end) + std::string(Colour(white)));
  };
  events.searchEnded = [] { Reported.push_back("ended"); };
  events.replayStarted = [](const std::vector<std::string> &moves) {
    Reported.push_back("replay " + Join(moves));
  };
  events.replayPair = [](std::string_view opponent, std::string_view engine) {
    Reported.push_back("pair " + std::string(opponent) + ";" + std::string(engine));
  };
  events.replayEnded = [](std::string_view last, double) {
    Reported.push_back("replayed " + std::string(last));
  };
  return events;
}

class GameEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedHooks = Hooks;
    savedEvents = Events;
    FreshEngine();
    SearchHooks silent = SilentHooks();
    EngineInstallFrontEnd(FrontEnd{silent.inputWaiting, silent.pollInput, silent.newOrQuitPending,
                                   silent.postLine, silent.analysisLine, silent.searchLogLine, nullptr,
                                   Recorder()});
    Settings.ponderEnabled = false;
    Reported.clear();
  }
  void TearDown() override {
    Hooks = savedHooks;
    Events = savedEvents;
  }
  // One PlayMove on the clock at zero: the engine answers after its first pass over the root.
  static void Answer(const std::string &command) {
    Clock.timeLeft = 0;
    Signals.commandText = command;
    PlayMove();
  }
  // The engine plays the side to move of the position, then answers each of the opponent's moves.
  static Lines PlayFrom(const char *fen, const Lines &opponentMoves) {
    EXPECT_TRUE(SetupFromFen(fen)) << fen;
    Reported.clear();
    Answer("/R");
    for (const std::string &move : opponentMoves) Answer(move);
    return Reported;
  }
  SearchHooks savedHooks;
  GameEvents savedEvents;
};

TEST_F(GameEventsTest, MovesRefusalsAndEndsOfTheGame) {
  const char *lost = "k7/p2K4/P7/8/8/8/8/6Q1 b - - 0 1";  // Black has one move and is lost
  EXPECT_EQ(PlayFrom("7k/8/6K1/8/8/8/8/R7 w - - 0 1", {}),
            (Lines{"move A1A8", "final", "mates white", "ended"}));
  EXPECT_EQ(PlayFrom("r7/8/8/8/8/6k1/8/7K b - - 0 1", {}),
            (Lines{"move A8A1", "final", "mates black", "ended"}));
  EXPECT_EQ(PlayFrom("k7/p2K4/P7/8/8/5N2/8/8 b - - 0 1", {"F3D4", "D4C6"}),
            (Lines{"move A8B8", "final", "ended", "move B8A8", "final", "ended", "final", "stalemate black",
                   "ended"}));
  // The second lost score in a row resigns instead of moving; the first is played.
  EXPECT_EQ(PlayFrom(lost, {"G1F1"}), (Lines{"move A8B8", "final", "ended", "resigns black"}));
  // A move that names no move of the opponent's is refused before any search; one that leaves the
  // opponent's king attacked (the e2 pawn covers d1) is refused by the search's root.
  EXPECT_EQ(PlayFrom("k5br/p4p1p/P2N1P1P/1N6/8/8/4p2P/4K2R b K - 0 1", {"E2E5", "E1D1", "H1G1"}),
            (Lines{"move A8B8", "final", "ended", "illegal E2E5", "illegal E1D1", "ended", "move B8A8",
                   "final", "ended"}));
}

TEST_F(GameEventsTest, GoReplaysTheGameSilentlyThenAnswers) {
  for (const char *move : {"e2e4", "e7e5", "g1f3"}) ASSERT_TRUE(PlayGameMove(move));
  Clock.timeLeft = 0;
  Reported.clear();
  ASSERT_TRUE(PlayFromGame());
  // The pair replayed is a whole move of the game, the engine's reply supplied; its reports come
  // between the replay's start and end, for the front end to keep quiet.
  ASSERT_EQ(Reported.size(), 9u);
  EXPECT_EQ(
      Lines(Reported.begin(), Reported.begin() + 6),
      (Lines{"replay E2E4 E7E5 G1F3", "pair E2E4;E7E5", "move E7E5", "final", "ended", "replayed G1F3"}));
  EXPECT_EQ(Reported[6].substr(0, 5), "move ");
  EXPECT_EQ(Lines(Reported.begin() + 7, Reported.end()), (Lines{"final", "ended"}));
  EXPECT_FALSE(Game.engineIsWhite);  // the engine took the side to move after the game: Black
}

}  // namespace
