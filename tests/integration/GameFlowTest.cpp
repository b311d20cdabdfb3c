// The flow of a game as the interface sees it: the engine's moves, refusals, promotions, the lines
// that end a game, and commands that arrive while it thinks. Most tests drive the real binary on a
// clock at zero (see EngineFixture.h); the positions give the engine a single legal move wherever
// its choice would otherwise matter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/MoveText.h"
#include "driver/Console.h"
#include "driver/GameFlow.h"
#include "driver/Interpreter.h"
#include "driver/Protocol.h"
#include "driver/Reports.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "support/EngineFixture.h"

namespace {

// Black to move: its king shuttles between a8 and b8 (b7, c7 and c8 are covered, the a-pawn is
// blocked); White's knight can wander without disturbing it.
const std::string ShuttleFen = "k7/p2K4/P7/8/8/8/8/6N1 b - - 0 1";

class GameFlowTest : public EngineFixture {
 protected:
  uint8_t PieceOn(const char *square) { return Game.currentBoard[ParseSquare(square)]; }
};

TEST_F(GameFlowTest, TwoEnginesPlayAWholeGame) {
  // White is started with go, Black answers usermove; each validates every move of the other.
  std::string setUp = "new\neasy\nlevel 0 0 0\n";
  RelayedGame game = PlayEngines(setUp, setUp, "time 0\notim 0\n", 160);
  EXPECT_EQ(game.failure, "");
  EXPECT_GE(game.moves.size(), 20u);
  // A result comes from the side it names, or is a draw.
  if (game.result.find("White") != std::string::npos) {
    EXPECT_TRUE(game.resultByWhite) << game.result;
  }
  if (game.result.find("Black") != std::string::npos) {
    EXPECT_FALSE(game.resultByWhite) << game.result;
  }
}

TEST_F(GameFlowTest, IllegalMovesAreRefusedAndChangeNothing) {
  // From the initial position: moves that are not there, in any spelling; then a real one.
  std::vector<std::string> lines =
      Play(GameStart + "usermove e2e5\ne2e5\nusermove a7a8q\nusermove z9\nusermove\ni2e4\ntime 0\nusermove e2e4\n");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "Illegal move: E2E5");
  EXPECT_EQ(lines[1], "Illegal move: E2E5");
  EXPECT_EQ(lines[2], "Illegal move: A7A8D");  // the move as the engine reads it
  EXPECT_EQ(lines[3], "Illegal move: Z9");
  EXPECT_EQ(lines[4].substr(0, 5), "move ");

  // Black's king shuttles between a8 and b8 (the a6-pawn and the knights cover b7, c7 and c8; its
  // other pieces are walled in); its pawn on e2 covers d1 and f1, so White may neither step there
  // nor castle through f1. After the refusals White's king and rook are where they were.
  lines = Play(FromPosition("k5br/p4p1p/P2N1P1P/1N6/8/8/4p2P/4K2R b K - 0 1") +
               UserMoves({"e1g1", "e1f1", "e1d1", "e1e3", "h1g1", "e1e2"}));
  EXPECT_EQ(lines, (std::vector<std::string>{"move a8b8", "Illegal move: E1G1", "Illegal move: E1F1",
                                             "Illegal move: E1D1", "Illegal move: E1E3", "move b8a8",
                                             "move a8b8"}));
}

TEST_F(GameFlowTest, PromotionsBothWays) {
  struct Case {
    const char *fen, *answer;
  };
  for (const Case &c : {Case{"8/2k1P3/8/8/8/8/8/K7 w - - 0 1", "move e7e8Q"},
                        Case{"3r3k/4P3/8/8/8/8/8/K7 w - - 0 1", "move e7d8Q"},
                        Case{"k7/8/8/8/8/8/2K1p3/8 b - - 0 1", "move e2e1Q"}})
    EXPECT_EQ(Play(FromPosition(c.fen)), std::vector<std::string>{c.answer}) << c.fen;

  // The engine (White) has only Ka1-b1-a1; Black promotes on e1. A knight or bishop there leaves
  // the king its shuttle; a queen or rook checks along the first row and mates.
  struct Promotion {
    const char *letter;
    uint8_t piece;
  };
  for (const Promotion &p : {Promotion{"n", OpponentKnight}, Promotion{"b", OpponentBishop},
                             Promotion{"r", OpponentRook}, Promotion{"q", OpponentQueen}, Promotion{"", OpponentQueen}}) {
    std::vector<std::string> lines =
        PlayHere(FromPosition("8/8/8/8/8/p7/P2kp3/K7 w - - 0 1") + "usermove e2e1" + p.letter + "\nquit\n");
    EXPECT_EQ(PieceOn("E1"), p.piece) << p.letter;
    EXPECT_EQ(PieceOn("E2"), Empty) << p.letter;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "move a1b1");
    if (p.piece == OpponentKnight || p.piece == OpponentBishop) {
      EXPECT_EQ(lines, (std::vector<std::string>{"move a1b1", "move b1a1"})) << p.letter;
    }
  }
}

TEST_F(GameFlowTest, GoRebuildsTheGameFromTheForcedMoves) {
  // The moves collected in force mode are replayed in silence; the engine takes the side to move
  // and the only line printed is its answer to the last of them.
  struct Case {
    std::vector<std::string> moves;
    bool engineIsWhite;
  };
  for (const Case &c : {Case{{}, true}, Case{{"e2e4"}, false}, Case{{"e2e4", "e7e5"}, true},
                        Case{{"e2e4", "e7e5", "g1f3"}, false}, Case{{"d2d4", "g8f6", "c2c4", "e7e6"}, true}}) {
    std::string input = GameStart + "level 0 0 0\nforce\n";
    for (const std::string &move : c.moves) input += move + "\n";
    std::vector<std::string> lines = PlayHere(input + "go\nquit\n");
    int pairs = int(c.moves.size()) / 2 + 1;
    ASSERT_EQ(Flow.gameRecordCount, pairs);
    EXPECT_EQ(Game.engineIsWhite, c.engineIsWhite);
    EXPECT_FALSE(Protocol.forceMode);
    // The record holds the collected moves in order, the engine's replies included.
    std::vector<std::string> record;
    for (int i = 1; i <= pairs; i++) {
      if (!Flow.gameRecord[i].opponentMove.IsNull()) record.push_back(CompactMoveText(Flow.gameRecord[i].opponentMove));
      record.push_back(CompactMoveText(Flow.gameRecord[i].engineMove));
    }
    record.pop_back();
    std::vector<std::string> expected = c.moves;
    for (std::string &move : expected)
      for (char &letter : move) letter = char(std::toupper(static_cast<unsigned char>(letter)));
    EXPECT_EQ(record, expected);
    EXPECT_EQ(lines, std::vector<std::string>{"move " + ToProtocolMoveText(CompactMoveText(Flow.gameRecord[pairs].engineMove))});
  }
}

struct Ending {
  const char *name, *fen;
  std::vector<std::string> opponentMoves;
  std::vector<std::string> output;
};

TEST_F(GameFlowTest, LinesThatEndAGame) {
  const Ending endings[] = {
      {"repetition", ShuttleFen.c_str(), {"g1h3", "h3g1", "g1h3", "h3g1"},
       {"move a8b8", "move b8a8", "move a8b8", "move b8a8", "move a8b8", "1/2-1/2 {Draw by repetition}"}},
      {"stalemate of the engine", "k7/p2K4/P7/8/8/5N2/8/8 b - - 0 1", {"f3d4", "d4c6"},
       {"move a8b8", "move b8a8", "1/2-1/2 {Stalemate}"}},
      {"mate of the engine", "R6k/8/6K1/8/8/8/8/8 b - - 0 1", {}, {}},
      {"White mates", "7k/8/6K1/8/8/8/8/R7 w - - 0 1", {}, {"move a1a8", "1-0 {White mates}"}},
      {"Black mates", "r7/8/8/8/8/6k1/8/7K b - - 0 1", {}, {"move a8a1", "0-1 {Black mates}"}},
      // Mated in one whatever it does: the first lost score is played, the second resigns.
      {"Black resigns", "k7/p2K4/P7/8/8/8/8/6Q1 b - - 0 1", {"g1f1"}, {"move a8b8", "1-0 {Black resigns}"}},
      {"White resigns", "6q1/8/8/8/8/p7/P2k4/K7 w - - 0 1", {"g8f8"}, {"move a1b1", "0-1 {White resigns}"}},
  };
  for (const Ending &e : endings) EXPECT_EQ(Play(FromPosition(e.fen) + UserMoves(e.opponentMoves)), e.output) << e.name;
}

TEST_F(GameFlowTest, FiftyMoveRuleIsTestedBeforeRepetition) {
  // The shuttle for 51 engine moves: from the fifth on every position after its move has been
  // there three times, and after the 51st more than 100 positions follow the last irreversible
  // move (go itself empties the history, as a move that is no move).
  std::vector<std::string> knight;
  for (int i = 0; i < 50; i++) knight.push_back(i % 2 ? "h3g1" : "g1h3");
  std::vector<std::string> expected;
  for (int move = 1; move <= 51; move++) {
    expected.push_back(move % 2 ? "move a8b8" : "move b8a8");
    if (move >= 5 && move <= 50) expected.push_back("1/2-1/2 {Draw by repetition}");
  }
  expected.push_back("1/2-1/2 {Draw by 50 move rule}");
  EXPECT_EQ(Play(FromPosition(ShuttleFen) + UserMoves(knight)), expected);
}

TEST_F(GameFlowTest, CommandsWhileTheEngineThinks) {
  // The command waits in the input while the engine searches e2e4 on a long clock; the search
  // reads it at its first look at the input after the root pass.
  struct Case {
    const char *command;
    bool movePrinted;
    int pairs;  // in the game afterwards
    bool quits;
  };
  for (const Case &c : {Case{"?", true, 1, false}, Case{"new", false, 0, false}, Case{"quit", false, 0, true},
                        Case{"remove", true, 0, false}, Case{"force", true, 1, false},
                        Case{"result 1-0 {White wins}", true, 0, false}}) {
    std::vector<std::string> lines = PlayHere(GameStart + "usermove e2e4\n" + c.command + "\n");
    ASSERT_FALSE(lines.empty()) << c.command;
    std::vector<std::string> moves;
    for (const std::string &line : lines) {
      if (line.rfind("move ", 0) == 0)
        moves.push_back(line);
      else
        EXPECT_TRUE(IsThinkingLine(line)) << c.command << ": " << line;
    }
    EXPECT_EQ(moves.size(), c.movePrinted ? 1u : 0u) << c.command;
    EXPECT_EQ(Flow.gameRecordCount, c.pairs) << c.command;
    EXPECT_EQ(Protocol.quitRequested, true) << c.command;  // the input ended in every case
    EXPECT_FALSE(Game.engineIsWhite);
    if (c.pairs == 0 && !c.quits) {
      EXPECT_EQ(std::memcmp(&Game.currentBoard, &StartBoard, sizeof(Board)), 0) << c.command;
    }
    if (c.movePrinted) {
      // The move is the best one found so far: the first of the last thinking line.
      ASSERT_EQ(moves.size(), 1u) << c.command;
      ThinkingLine last;
      ASSERT_TRUE(ParseThinkingLine(lines[lines.size() - 2], last)) << c.command;
      ASSERT_FALSE(last.moves.empty());
      EXPECT_EQ(moves[0], "move " + ProtocolMove(last.moves[0])) << c.command;
    }
  }
}

TEST_F(GameFlowTest, MoveNowOverPipes) {
  EngineSession engine(KRELIN_BINARY, scratch.Path());
  ASSERT_TRUE(engine.Handshake());
  engine.Send("new\neasy\nusermove e2e4\n");  // twelve hours on the clock: it would think for long
  std::vector<std::string> lines;
  ASSERT_TRUE(engine.ReadUntil("5 ", lines));
  engine.Send("?\n");
  ASSERT_TRUE(engine.ReadUntil("move ", lines));
  ThinkingLine last;
  ASSERT_TRUE(ParseThinkingLine(lines[lines.size() - 2], last)) << lines[lines.size() - 2];
  ASSERT_FALSE(last.moves.empty());
  EXPECT_EQ(lines.back(), "move " + ProtocolMove(last.moves[0]));
  for (size_t i = 0; i + 1 < lines.size(); i++) EXPECT_TRUE(IsThinkingLine(lines[i])) << lines[i];

  // quit while it thinks: it ends without a move.
  engine.Send("usermove d2d4\n");
  lines.clear();
  ASSERT_TRUE(engine.ReadUntil("4 ", lines));
  engine.Send("quit\n");
  std::string line;
  while (engine.ReadLine(line)) EXPECT_TRUE(IsThinkingLine(line)) << line;
  EXPECT_EQ(engine.Wait(), 0);
}

TEST_F(GameFlowTest, CommandsThatStopASetUpSearchAreKept) {
  // After setboard and go the engine thinks inside the set-up wait. A command that stops that
  // search stays pending for the protocol loop, which acts on it: new starts a game from the
  // initial position (e2e4 is legal again) and quit ends the engine.
  const std::string afterE4 = "setboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1\ngo\n";
  for (const char *command : {"new", "quit"}) {
    EngineSession engine(KRELIN_BINARY, scratch.Path());
    ASSERT_TRUE(engine.Handshake());
    engine.Send("new\neasy\n" + afterE4);  // twelve hours on the clock
    std::vector<std::string> lines;
    ASSERT_TRUE(engine.ReadUntil("4 ", lines));
    engine.Send(std::string(command) + "\n");
    if (std::string(command) == "new") engine.Send("time 0\nusermove e2e4\nquit\n");
    lines.clear();
    EXPECT_TRUE(engine.ReadToEnd(lines, 15)) << command;
    std::vector<std::string> moves;
    for (const std::string &line : lines)
      if (!IsThinkingLine(line)) moves.push_back(line);
    ASSERT_LE(moves.size(), 1u) << moves[0];
    EXPECT_EQ(moves.size(), std::string(command) == "new" ? 1u : 0u) << command;
    for (const std::string &move : moves) EXPECT_EQ(move.substr(0, 5), "move ");
  }
}

TEST_F(GameFlowTest, KibitzAndSpeedFollowTheMove) {
  scratch.Write("krelininit.txt", "HASH=1\nKIBS=1\nCLOG=1\n");
  EngineSession engine(KRELIN_BINARY, scratch.Path());
  ASSERT_TRUE(engine.Handshake());
  engine.Send("new\neasy\ntime 1000\nusermove e2e4\n");
  std::vector<std::string> lines;
  ASSERT_TRUE(engine.ReadUntil("move ", lines));
  ASSERT_GE(lines.size(), 2u);
  ThinkingLine last;
  ASSERT_TRUE(ParseThinkingLine(lines[lines.size() - 2], last));
  std::string tellall;
  ASSERT_TRUE(engine.ReadLine(tellall));
  EXPECT_EQ(tellall, "tellall " + KibitzAfter(last));

  // Without thinking lines there is nothing to kibitz.
  engine.Send("time 0\nusermove d2d4\n");
  lines.clear();
  ASSERT_TRUE(engine.ReadUntil("move ", lines));
  EXPECT_EQ(lines.size(), 1u);
  std::string second = lines[0];
  engine.Send("quit\n");
  lines.clear();
  EXPECT_TRUE(engine.ReadToEnd(lines));
  EXPECT_EQ(lines, std::vector<std::string>{});
  EXPECT_EQ(engine.Wait(), 0);

  // The console log has the speed between the move and the kibitz.
  std::vector<std::string> log = SplitLines(scratch.Read("conlogbestand.txt"));
  auto move = std::find(log.begin(), log.end(), "uit: " + second);
  ASSERT_NE(move, log.end());
  ASSERT_LT(move + 2, log.end());
  EXPECT_EQ(move[1].substr(0, 5), "k/s: ");
  EXPECT_EQ(move[2], "in:  quit");
  move = std::find(log.begin(), log.end(), "uit: " + tellall);
  ASSERT_NE(move, log.end());
  EXPECT_EQ(move[-1].substr(0, 5), "k/s: ");
  EXPECT_EQ(move[-2].substr(0, 10), "uit: move ");
}

TEST_F(GameFlowTest, TakeBackRestartsTheDrawPull) {
  // A take-back rebuilds the game from its record, and with it the draw pull: the replayed pairs
  // (searched to depth 3 here) leave no pull and an empty score window, whatever the abandoned
  // line had built.
  PlayHere(GameStart + "time 0\nusermove e2e4\ntime 0\nusermove d2d4\nquit\n");
  ASSERT_EQ(Flow.gameRecordCount, 2);
  Tree.drawishCap = 60;  // as a long stretch of steady scores would have built
  for (int32_t &score : Tree.recentScores) score = 60;
  {
    QuietConsole console;
    Signals.commandText = "/B";
    RunCommand();
  }
  EXPECT_EQ(Flow.gameRecordCount, 1);
  EXPECT_EQ(Tree.drawishCap, 0);
  for (int32_t score : Tree.recentScores) EXPECT_EQ(score, -32000);
}

TEST_F(GameFlowTest, SearchLogMarksTheFirstLineOfEachDepth) {
  // In test mode the search log gets a line for every improving root move from depth 5 on; the
  // first root move of an iteration carries the depth in front, the others two blanks.
  PlayHere(GameStart + "quit\n");
  {
    QuietConsole console;
    for (const char *command : {"/H=6", "E2E4"}) {
      Signals.commandText = command;
      RunCommand();
    }
    EXPECT_EQ(SplitLines(console.Text()).back().substr(0, 5), "move ");
  }
  std::vector<std::string> log = SplitLines(scratch.Read("logbestand.txt"));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0].substr(0, 4), "05  ");
  bool depthSix = false;
  for (const std::string &line : log) depthSix |= line.rfind("06  ", 0) == 0;
  EXPECT_TRUE(depthSix);
}

}  // namespace
