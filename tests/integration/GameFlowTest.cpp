// The flow of a game as the interface sees it. Most tests drive the real binary on a clock at zero
// (see EngineFixture.h); the positions leave the engine a single legal move wherever its choice
// would otherwise matter.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/MoveText.h"
#include "driver/GameFlow.h"
#include "driver/Interpreter.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "support/EngineFixture.h"

namespace {

// Black's king shuttles between a8 and b8; White's knight can wander without disturbing it.
const std::string ShuttleFen = "k7/p2K4/P7/8/8/8/8/6N1 b - - 0 1";
const char *const LostFen = "k7/p2K4/P7/8/8/8/8/6Q1 b - - 0 1";  // Black has one move and is lost
using Lines = std::vector<std::string>;

class GameFlowTest : public EngineFixture {};

TEST_F(GameFlowTest, IllegalMovesAreRefusedAndChangeNothing) {
  EXPECT_EQ(
      Play(GameStart + "usermove e2e5\ne2e5\nusermove a7a8q\nusermove e7e8k\nusermove z9\nusermove\ni2e4\n"),
      (Lines{"Illegal move: E2E5", "Illegal move: E2E5", "Illegal move: A7A8D", "Illegal move: E7E8",
             "Illegal move: Z9"}));
  // Black's pawn on e2 covers d1 and f1: White may neither step there nor castle through f1.
  EXPECT_EQ(Play(FromPosition("k5br/p4p1p/P2N1P1P/1N6/8/8/4p2P/4K2R b K - 0 1") +
                 UserMoves({"e1g1", "e1f1", "e1d1", "e1e3", "h1g1", "e1e2"})),
            (Lines{"move a8b8", "Illegal move: E1G1", "Illegal move: E1F1", "Illegal move: E1D1",
                   "Illegal move: E1E3", "move b8a8", "move a8b8"}));
}

TEST_F(GameFlowTest, PromotionsBothWays) {
  for (auto [fen, answer] : {std::pair{"8/2k1P3/8/8/8/8/8/K7 w - - 0 1", "move e7e8Q"},
                             std::pair{"3r3k/4P3/8/8/8/8/8/K7 w - - 0 1", "move e7d8Q"},
                             std::pair{"k7/8/8/8/8/8/2K1p3/8 b - - 0 1", "move e2e1Q"}})
    EXPECT_EQ(Play(FromPosition(fen)), Lines{answer}) << fen;
  // The opponent promotes on e1; a knight leaves the engine's king its shuttle, a queen mates.
  for (auto [letter, piece] : {std::pair{"n", OpponentKnight}, std::pair{"b", OpponentBishop},
                               std::pair{"r", OpponentRook}, std::pair{"", OpponentQueen}}) {
    Lines lines =
        PlayHere(FromPosition("8/8/8/8/8/p7/P2kp3/K7 w - - 0 1") + "usermove e2e1" + letter + "\nquit\n");
    EXPECT_EQ(Game.currentBoard[ParseSquare("E1")], piece) << letter;
    EXPECT_EQ(piece == OpponentKnight ? lines : Lines{lines.at(0)},
              (piece == OpponentKnight ? Lines{"move a1b1", "move b1a1"} : Lines{"move a1b1"}))
        << letter;
  }
}

TEST_F(GameFlowTest, LinesThatEndAGame) {
  struct Ending {
    const char *name, *fen;
    Lines opponentMoves, output;
  };
  const Ending endings[] = {
      {"repetition",
       ShuttleFen.c_str(),
       {"g1h3", "h3g1", "g1h3", "h3g1"},
       {"move a8b8", "move b8a8", "move a8b8", "move b8a8", "move a8b8", "1/2-1/2 {Draw by repetition}"}},
      {"stalemate",
       "k7/p2K4/P7/8/8/5N2/8/8 b - - 0 1",
       {"f3d4", "d4c6"},
       {"move a8b8", "move b8a8", "1/2-1/2 {Stalemate}"}},
      {"engine mated", "R6k/8/6K1/8/8/8/8/8 b - - 0 1", {}, {}},
      {"White mates", "7k/8/6K1/8/8/8/8/R7 w - - 0 1", {}, {"move a1a8", "1-0 {White mates}"}},
      {"Black mates", "r7/8/8/8/8/6k1/8/7K b - - 0 1", {}, {"move a8a1", "0-1 {Black mates}"}},
      // After a lost score an engine without a move does not resign: stalemated, or mated.
      {"stalemate when lost", LostFen, {"g1g2"}, {"move a8b8", "1/2-1/2 {Stalemate}"}},
      {"mated when lost", LostFen, {"g1g8"}, {"move a8b8"}},
      // Mated in one whatever it does: the first lost score is played, the second resigns.
      {"Black resigns", LostFen, {"g1f1"}, {"move a8b8", "1-0 {Black resigns}"}},
      {"White resigns", "6q1/8/8/8/8/p7/P2k4/K7 w - - 0 1", {"g8f8"}, {"move a1b1", "0-1 {White resigns}"}},
  };
  for (const Ending &e : endings)
    EXPECT_EQ(Play(FromPosition(e.fen) + UserMoves(e.opponentMoves)), e.output) << e.name;
}

TEST_F(GameFlowTest, FiftyMoveRuleIsTestedBeforeRepetition) {
  Lines knight, expected;
  for (int i = 0; i < 50; i++) knight.push_back(i % 2 ? "h3g1" : "g1h3");
  for (int move = 1; move <= 51; move++) {
    expected.push_back(move % 2 ? "move a8b8" : "move b8a8");
    if (move >= 5 && move <= 50) expected.push_back("1/2-1/2 {Draw by repetition}");
  }
  expected.push_back("1/2-1/2 {Draw by 50 move rule}");
  EXPECT_EQ(Play(FromPosition(ShuttleFen) + UserMoves(knight)), expected);
}

TEST_F(GameFlowTest, CommandsThatStopASetUpSearchAreKept) {
  // A command that stops the search of the set-up wait stays pending for the protocol loop: new
  // starts a game (e2e4 is legal again) and quit ends the engine.
  for (std::string command : {"new", "quit"}) {
    EngineSession engine(KRELIN_BINARY, scratch.Path());
    ASSERT_TRUE(engine.Handshake());
    engine.Send("new\neasy\nsetboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1\ngo\n");
    Lines lines, moves;
    ASSERT_TRUE(engine.ReadUntil("4 ", lines));
    engine.Send(command + "\n" + (command == "new" ? "time 0\nusermove e2e4\nquit\n" : ""));
    lines.clear();
    EXPECT_TRUE(engine.ReadUntil("", lines, 15)) << command;
    for (const std::string &line : lines)
      if (!IsThinkingLine(line)) moves.push_back(line.substr(0, 5));
    EXPECT_EQ(moves, (command == "new" ? Lines{"move "} : Lines{})) << command;
  }
}

TEST_F(GameFlowTest, MovesInTheSetUpWait) {
  // The moves that arrive between setboard and go are played on the set-up position; on go the
  // engine takes the side to move after them. "move" alone stands for any move line.
  const std::string shuttleWhite = "k7/p2K4/P7/8/8/8/8/6N1 w - - 0 1";
  struct Case {
    std::string name, fen, wait;
    Lines output;
  };
  const Case cases[] = {
      {"engine moves second", shuttleWhite, "usermove g1h3\n", {"move a8b8"}},
      {"bare moves, engine moves first", ShuttleFen, "a8b8\ng1h3\n", {"move b8a8"}},
      {"illegal moves change nothing",
       ShuttleFen,
       "g1h3\nusermove a8a7\na8b8\nusermove h3g1\ng1h3\n",
       {"Illegal move: G1H3", "Illegal move: A8A7", "Illegal move: H3G1", "move b8a8"}},
      {"undo", shuttleWhite, "g1h3\nundo\nundo\na8b8\ng1f3\n", {"Illegal move: A8B8", "move a8b8"}},
      {"remove",
       shuttleWhite,
       "g1h3\na8b8\nh3g1\nremove\nb8a8\na8b8\nh3g1\n",
       {"Illegal move: B8A8", "move b8a8"}},
      {"en passant",
       "rnbqkbnr/pppp1ppp/8/8/3Pp3/8/PPP1PPPP/RNBQKBNR b KQkq d3 0 2",
       "e4d3\nd4d5\nc2d3\n",
       {"Illegal move: D4D5", "move"}},
      {"the engine's only move is en passant", "k7/p1K5/P7/8/3Pp3/4P3/8/8 b - d3 0 1", "", {"move e4d3"}},
      {"castling", "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1", "e1g1\ne8c8\nf1e1\n", {"move"}},
      {"a second setboard replaces the first",
       shuttleWhite,
       "g1h3\nsetboard " + ShuttleFen + "\n",
       {"move a8b8"}},
      {"quit ends the engine", ShuttleFen, "a8b8\nquit\n", {}},
  };
  for (const Case &c : cases) {
    Lines lines = Play(GameStart + "force\nsetboard " + c.fen + "\n" + c.wait + "time 0\ngo\nquit\n");
    for (size_t i = 0; i < lines.size() && i < c.output.size(); i++)
      if (c.output[i] == "move" && lines[i].rfind("move ", 0) == 0) lines[i] = "move";
    EXPECT_EQ(lines, c.output) << c.name;
  }
  // new and result end the wait as they end a game: the set-up position and its moves are gone.
  for (const char *command : {"new", "result 1-0"}) {
    PlayHere(GameStart + "setboard " + shuttleWhite + "\ng1h3\n" + command + "\nquit\n");
    EXPECT_EQ(std::memcmp(&Game.currentBoard, &StartBoard, sizeof(Board)), 0) << command;
    EXPECT_EQ(Flow.gameRecordCount, 0) << command;
    EXPECT_FALSE(Game.engineIsWhite) << command;
  }
}

TEST_F(GameFlowTest, TakeBackRestartsTheDrawPull) {
  PlayHere(GameStart + "time 0\nusermove e2e4\ntime 0\nusermove d2d4\nquit\n");
  Tree.drawishCap = 60;  // as a long stretch of steady scores would have built
  for (int32_t &score : Tree.recentScores) score = 60;
  testing::internal::CaptureStdout();
  Signals.commandText = "/B";
  RunCommand();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(Flow.gameRecordCount, 1);
  EXPECT_EQ(Tree.drawishCap, 0);
  for (int32_t score : Tree.recentScores) EXPECT_EQ(score, -32000);
}

}  // namespace
