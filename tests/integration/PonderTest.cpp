// Thinking on the opponent's time: after its move the engine plays the reply it predicts and
// searches on; the real reply either matches (a hit: that search becomes its own) or not (a miss:
// the predicted pair is undone and the real move answered). Commands may interrupt it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/MoveText.h"
#include "driver/Console.h"
#include "driver/GameFlow.h"
#include "search/Search.h"
#include "support/EngineFixture.h"

namespace {

// White to move on a clock that allows a few tenths of a second per move.
const std::string PonderingWhite = "new\nhard\nlevel 0 0.2 0\ngo\n";

class PonderTest : public EngineFixture {
 protected:
  // Reads up to the engine's move; the last thinking line before it gives the predicted reply.
  void ReadMoveAndPrediction(EngineSession &engine, std::string &predicted) {
    std::vector<std::string> lines;
    ASSERT_TRUE(engine.ReadUntil("move ", lines));
    ASSERT_GE(lines.size(), 2u);
    ThinkingLine last;
    ASSERT_TRUE(ParseThinkingLine(lines[lines.size() - 2], last)) << lines[lines.size() - 2];
    ASSERT_GE(last.moves.size(), 2u) << "no predicted reply";
    EXPECT_EQ(lines.back(), "move " + ProtocolMove(last.moves[0]));
    predicted = last.moves[1];
  }

  // The lines up to the engine's next move: thinking lines on the predicted move first, then its
  // own; the move is the first of the last line. Returns that last line.
  ThinkingLine CheckAnswer(const std::vector<std::string> &lines, const std::string &predicted) {
    ThinkingLine last;
    size_t own = 0;
    for (size_t i = 0; i + 1 < lines.size(); i++) {
      ThinkingLine line;
      EXPECT_TRUE(ParseThinkingLine(lines[i], line)) << lines[i];
      if (line.pondered.empty()) {
        own++;
      } else {
        EXPECT_EQ(line.pondered, predicted) << lines[i];
        EXPECT_EQ(own, 0u) << "a pondering line after the engine's own: " << lines[i];
      }
      last = line;
    }
    EXPECT_GE(own, 1u);
    EXPECT_FALSE(last.moves.empty());
    if (!last.moves.empty()) {
      EXPECT_EQ(lines.back(), "move " + ProtocolMove(last.moves[0]));
    }
    return last;
  }

  // The game board is the one the record of move pairs rebuilds.
  void ExpectBoardFromRecord() {
    Board board = Game.currentBoard;
    ReplayGame(Flow.gameRecordCount);
    EXPECT_EQ(std::memcmp(&board, &Game.currentBoard, sizeof(Board)), 0);
  }
};

TEST_F(PonderTest, PonderHitOverPipes) {
  scratch.Write("krelininit.txt", "HASH=1\nKIBS=1\n");
  EngineSession engine(KRELIN_BINARY, scratch.Path());
  ASSERT_TRUE(engine.Handshake());
  engine.Send(PonderingWhite);
  std::string predicted, tellall;
  ASSERT_NO_FATAL_FAILURE(ReadMoveAndPrediction(engine, predicted));
  ASSERT_TRUE(engine.ReadLine(tellall));
  EXPECT_EQ(tellall.substr(0, 9), "tellall [");

  engine.Send("time 900\notim 900\nusermove " + ProtocolMove(predicted) + "\n");
  std::vector<std::string> lines;
  ASSERT_TRUE(engine.ReadUntil("move ", lines));
  ThinkingLine last = CheckAnswer(lines, predicted);
  // The kibitz leaves out the pondered move.
  ASSERT_TRUE(engine.ReadLine(tellall));
  EXPECT_EQ(tellall, "tellall " + KibitzAfter(last));
  engine.Send("quit\n");
  EXPECT_EQ(engine.Wait(), 0);
}

TEST_F(PonderTest, PonderMissOverPipes) {
  EngineSession engine(KRELIN_BINARY, scratch.Path());
  ASSERT_TRUE(engine.Handshake());
  engine.Send(PonderingWhite);
  std::string predicted;
  ASSERT_NO_FATAL_FAILURE(ReadMoveAndPrediction(engine, predicted));
  std::string reply = ProtocolMove(predicted) == "a7a6" ? "h7h6" : "a7a6";
  engine.Send("time 900\notim 900\nusermove " + reply + "\n");
  std::vector<std::string> lines;
  ASSERT_TRUE(engine.ReadUntil("move ", lines));
  CheckAnswer(lines, predicted);
  engine.Send("quit\n");
  EXPECT_EQ(engine.Wait(), 0);
}

TEST_F(PonderTest, PonderingThroughAGame) {
  // White ponders on every reply, Black does not; hits and misses come as the game goes, and each
  // engine validates every move of the other.
  RelayedGame game = PlayEngines("new\nhard\nlevel 0 0 0\n", "new\neasy\nlevel 0 0 0\n", "", 40);
  EXPECT_EQ(game.failure, "");
  EXPECT_GE(game.moves.size(), 10u);
}

TEST_F(PonderTest, HitAndMissLeaveTheGameInStep) {
  // The engine answers e2e4 at once and ponders; the predicted reply is the second move of the
  // line that a run without pondering leaves.
  PlayHere(GameStart + "time 0\nusermove e2e4\nquit\n");
  Move engineMove = Flow.gameRecord[1].engineMove;
  std::string predicted = ToProtocolMoveText(CompactMoveText(Tree.bestLine.move[2]));
  std::string first = "move " + ToProtocolMoveText(CompactMoveText(engineMove));
  std::string pondering = "new\nhard\ntime 0\nusermove e2e4\n";

  // A hit: the search on the predicted move goes on as the engine's own (and reads the otim line
  // the interface sends next). force ends the next pondering, which takes its predicted pair back.
  std::vector<std::string> lines = PlayHere(GameStart + pondering + "usermove " + predicted + "\notim 0\nforce\n");
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], first);
  ASSERT_EQ(Flow.gameRecordCount, 2);
  EXPECT_EQ(ToProtocolMoveText(CompactMoveText(Flow.gameRecord[2].opponentMove)), predicted);
  std::vector<std::string> answer(lines.begin() + 1, lines.end());
  while (!answer.empty() && answer.back().rfind("move ", 0) != 0) answer.pop_back();
  ASSERT_FALSE(answer.empty());
  ThinkingLine last;
  ThinkingLine pondered;
  ASSERT_TRUE(ParseThinkingLine(answer[0], pondered));
  EXPECT_EQ(ProtocolMove(pondered.pondered), predicted);
  EXPECT_EQ(answer.back(), "move " + ToProtocolMoveText(CompactMoveText(Flow.gameRecord[2].engineMove)));
  ExpectBoardFromRecord();

  // A miss: the real move is answered as it would have been without pondering.
  std::string other = predicted == "g1f3" ? "b1c3" : "g1f3";
  PlayHere(GameStart + "time 0\nusermove e2e4\ntime 0\nusermove " + other + "\nquit\n");
  std::string unpondered = ToProtocolMoveText(CompactMoveText(Flow.gameRecord[2].engineMove));
  lines = PlayHere(GameStart + pondering + "usermove " + other + "\notim 0\nforce\n");
  ASSERT_EQ(Flow.gameRecordCount, 2);
  EXPECT_EQ(ToProtocolMoveText(CompactMoveText(Flow.gameRecord[2].opponentMove)), other);
  std::vector<std::string> moves;
  for (const std::string &line : lines)
    if (!IsThinkingLine(line)) moves.push_back(line);
  EXPECT_EQ(moves, (std::vector<std::string>{first, "move " + unpondered}));
  ExpectBoardFromRecord();
}

TEST_F(PonderTest, CommandsWhilePondering) {
  // The engine has answered e2e4 and ponders when the command arrives; the predicted pair is
  // taken back and nothing more is written.
  struct Case {
    const char *command;
    int pairs;
  };
  for (const Case &c : {Case{"?", 1}, Case{"force", 1}, Case{"remove", 0}, Case{"new", 0},
                        Case{"result 0-1 {Black wins}", 0}}) {
    std::vector<std::string> lines = PlayHere(GameStart + "new\nhard\ntime 0\nusermove e2e4\n" + c.command + "\n");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].substr(0, 5), "move ") << c.command;
    for (size_t i = 1; i < lines.size(); i++) EXPECT_TRUE(IsThinkingLine(lines[i])) << c.command << ": " << lines[i];
    EXPECT_EQ(Flow.gameRecordCount, c.pairs) << c.command;
    EXPECT_EQ(Flow.engineMoveCount, c.pairs) << c.command;
    ExpectBoardFromRecord();
  }
}

TEST_F(PonderTest, NoResultLineAfterAMoveThatLeavesAPrediction) {
  // The shuttle of GameFlowTest: without pondering the fifth move ends in a repetition line. Each
  // move comes after an otim line, which the engine reads while it searches after a hit.
  std::string input = GameStart + "hard\nsetboard k7/p2K4/P7/8/8/8/8/6N1 b - - 0 1\ntime 0\ngo\n";
  for (const char *move : {"g1h3", "h3g1", "g1h3", "h3g1", "g1h3"}) input += std::string("otim 0\nusermove ") + move + "\n";
  std::vector<std::string> lines = Play(input + "quit\n");
  std::vector<std::string> moves;
  for (const std::string &line : lines) {
    ThinkingLine thinking;
    if (!ParseThinkingLine(line, thinking))
      moves.push_back(line);
    else
      EXPECT_FALSE(thinking.pondered.empty()) << line;
  }
  EXPECT_EQ(moves, (std::vector<std::string>{"move a8b8", "move b8a8", "move a8b8", "move b8a8", "move a8b8",
                                             "move b8a8"}));
}

// White mates in two: Rc1 (or another rook move off the h-file), Kb8 forced, Rc8 mate. Pondering
// on Kb8 the engine finds the mate in its first pass and stops; the hit is then read while it
// waits, and the mating move is written at once.
const std::string MateInTwo = "hard\nsetboard k7/p2K4/P7/8/8/8/7P/7R w - - 0 1\ntime 0\ngo\nusermove a8b8\n";

TEST_F(PonderTest, HitAfterThePonderSearchHasEnded) {
  std::vector<std::string> lines = Play(GameStart + MateInTwo + "quit\n");
  ASSERT_GE(lines.size(), 3u);
  ASSERT_EQ(lines[0].substr(0, 7), "move h1");
  std::string file = lines[0].substr(7, 1);
  EXPECT_EQ(lines[1], "move " + file + "1" + file + "8");
  EXPECT_EQ(lines[2], "1-0 {White mates}");
}

TEST_F(PonderTest, NoMoveIsReplayedAfterASetUpGameEnds) {
  // After setboard and go the whole pondering game runs inside the interpreter call of the
  // set-up wait. When it returns, the opponent's last move, which the ponder wait read, must not
  // be handed to the interpreter once more (it would be answered "Illegal move: A8B8" after the
  // mate): the loop goes on to its next line.
  std::vector<std::string> lines = Play(GameStart + MateInTwo + "quit\n");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()), std::vector<std::string>{});
}

}  // namespace
