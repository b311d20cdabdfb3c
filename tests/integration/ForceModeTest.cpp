// Force mode as interfaces use it to continue a game: xboard's Edit Game, client libraries that
// send force and the new moves before every go, a position with the moves after it. Force keeps
// the game; its moves are checked and played as they arrive, undo takes back the game's last move,
// and go has the engine take the side to move in the game as it stands. Most cases run on a clock
// at zero from positions that leave the engine a single move (see EngineFixture.h).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/EngineFixture.h"

namespace {

// Black's king shuttles between a8 and b8; White's knight can wander without disturbing it.
const std::string ShuttleFen = "k7/p2K4/P7/8/8/8/8/6N1 b - - 0 1";
// Black's king has one move; after Ra1-f1 it has one again, and White then mates on f8.
const std::string MateFen = "7k/8/6K1/8/8/8/8/R7 b - - 0 1";
using Lines = std::vector<std::string>;

class ForceModeTest : public EngineFixture {};

TEST_F(ForceModeTest, ForceKeepsTheGame) {
  struct Case {
    const char *name;
    std::string input;
    Lines output;
  };
  const std::string toZero = "time 0\n";
  const Case cases[] = {
      // h3g5 is legal only with the knight on h3, where the game put it.
      {"a move legal only in the game",
       FromPosition(ShuttleFen) + "usermove g1h3\nforce\nusermove h3g5\n" + toZero + "go\n" +
           UserMoves({"g5e6"}),
       {"move a8b8", "move b8a8", "move a8b8", "move b8a8"}},
      // undo takes back the engine's reply; Black's move comes from the interface, so the engine
      // plays White from then on and mates.
      {"undo of the engine's move, then the engine plays the other colour",
       FromPosition(MateFen) + "usermove a1f1\nforce\nundo\nusermove g8h8\n" + toZero + "go\n",
       {"move h8g8", "move g8h8", "move f1f8", "1-0 {White mates}"}},
      // Moves in force mode are checked as they arrive: e7e4 is no move, g1f3 not Black's, and
      // an undo past the game's start changes nothing.
      {"illegal moves in force mode",
       GameStart + "force\nundo\nusermove e2e4\nusermove e7e4\nusermove g1f3\n" + "setboard " + ShuttleFen +
           "\nusermove a8a7\nusermove g1h3\nusermove a8b8\nundo\nundo\nundo\nusermove b8a8\n" + toZero +
           "go\n",
       {"Illegal move: E7E4", "Illegal move: G1F3", "Illegal move: A8A7", "Illegal move: G1H3",
        "Illegal move: B8A8", "move a8b8"}},
      // The same repetition as in plain play, its middle sent in force mode: the game's history
      // survives force and go.
      {"repetition across force",
       FromPosition(ShuttleFen) + "usermove g1h3\nforce\nusermove h3g1\nusermove a8b8\nusermove g1h3\n" +
           toZero + "go\n" + UserMoves({"h3g1"}),
       {"move a8b8", "move b8a8", "move b8a8", "move a8b8", "1/2-1/2 {Draw by repetition}"}},
  };
  for (const Case &c : cases) EXPECT_EQ(Play(c.input + "quit\n"), c.output) << c.name;
}

TEST_F(ForceModeTest, FiftyMoveCountSurvivesForce) {
  // 99 quiet plies in force mode after the engine's first move; the engine's answer is the 101st.
  std::string input = FromPosition(ShuttleFen) + "force\n";
  for (int i = 0; i < 49; i++)
    input += std::string(i % 2 ? "h3g1" : "g1h3") + "\n" + (i % 2 ? "a8b8" : "b8a8") + "\n";
  EXPECT_EQ(Play(input + "h3g1\ntime 0\ngo\nquit\n"),
            (Lines{"move a8b8", "move a8b8", "1/2-1/2 {Draw by 50 move rule}"}));
}

TEST_F(ForceModeTest, ClientThatSendsForceBeforeEveryGo) {
  // A client library's way (python-chess): before every go, force, the opponent's new move, the
  // clocks and easy. On a clock at zero the engine's choice does not depend on how the game
  // reached it, so the game is the one the same engines play on plain usermove lines. Only a
  // resignation may differ: every go replays the game, whose supplied moves carry no score.
  // The scratch directory has no books, so the games start alike.
  std::string setUp = GameStart + "level 0 0 0\ntime 0\n";
  RelayedGame plain = PlayEngines(setUp, setUp, "time 0\notim 0\n", 200);
  RelayedGame forced = PlayEngines(setUp, setUp, "force\n", 200, "time 0\notim 0\neasy\ngo\n");
  EXPECT_EQ(plain.failure, "");
  EXPECT_EQ(forced.failure, "");
  ASSERT_GE(forced.moves.size(), plain.moves.size());
  EXPECT_GE(plain.moves.size(), 20u);
  EXPECT_EQ(Lines(forced.moves.begin(), forced.moves.begin() + plain.moves.size()), plain.moves);
  if (plain.result.find("resigns") == std::string::npos) {
    EXPECT_EQ(forced.result, plain.result);
  }
  EXPECT_NE(forced.result, "");
}

}  // namespace
