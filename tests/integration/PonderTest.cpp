// Thinking on the opponent's time: after its move the engine plays the reply it predicts and
// searches on. A hit makes that search its own; a miss undoes the predicted pair.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/GameRecord.h"
#include "driver/Console.h"
#include "driver/GameFlow.h"
#include "support/EngineFixture.h"

namespace {

using Lines = std::vector<std::string>;

class PonderTest : public EngineFixture {
 protected:
  // The thinking lines up to a move: those on the predicted move first, then the engine's own;
  // the move is the first of the last line, which is returned.
  ThinkingLine CheckAnswer(const Lines &lines, const std::string &predicted) {
    ThinkingLine last;
    size_t own = 0;
    for (size_t i = 0; i + 1 < lines.size(); i++) {
      EXPECT_TRUE(ParseThinkingLine(lines[i], last)) << lines[i];
      if (last.pondered.empty())
        own++;
      else
        EXPECT_TRUE(last.pondered == predicted && own == 0) << lines[i];
    }
    EXPECT_TRUE(predicted.empty() || own >= 1);
    EXPECT_EQ(lines.back(), last.moves.empty() ? "" : "move " + ProtocolMove(last.moves[0]));
    return last;
  }
  void ExpectBoardFromRecord() {  // the board is the one the record of pairs rebuilds
    Board board = Game.currentBoard;
    ReplayGame(Flow.gameRecordCount);
    EXPECT_EQ(std::memcmp(&board, &Game.currentBoard, sizeof(Board)), 0);
  }
};

TEST_F(PonderTest, HitAndMissOverPipes) {
  scratch.Write("krelininit.txt", "HASH=1\nKIBS=1\n");
  for (bool hit : {true, false}) {
    EngineSession engine(KRELIN_BINARY, scratch.Path());
    ASSERT_TRUE(engine.Handshake());
    engine.Send("new\nhard\nlevel 0 0.2 0\ngo\n");
    Lines lines;
    std::string tellall;
    ASSERT_TRUE(engine.ReadUntil("move ", lines) && engine.ReadLine(tellall));
    ThinkingLine first = CheckAnswer(lines, "");
    EXPECT_EQ(tellall, "tellall " + KibitzAfter(first));
    std::string predicted = first.moves.at(1);
    std::string reply = ProtocolMove(predicted);
    if (!hit) reply = reply == "a7a6" ? "h7h6" : "a7a6";
    engine.Send("time 900\notim 900\nusermove " + reply + "\n");
    lines.clear();
    ASSERT_TRUE(engine.ReadUntil("move ", lines));
    ThinkingLine last = CheckAnswer(lines, predicted);
    ASSERT_TRUE(engine.ReadLine(tellall));
    EXPECT_EQ(tellall, "tellall " + KibitzAfter(last)) << hit;  // without the pondered move
    engine.Send("quit\n");
    EXPECT_EQ(engine.Wait(), 0);
  }
}

TEST_F(PonderTest, PonderingThroughAWholeGame) {
  // White ponders on every reply, Black does not; each engine validates every move of the other.
  RelayedGame game =
      PlayEngines("new\nhard\nlevel 0 0 0\n", "new\neasy\nlevel 0 0 0\n", "time 0\notim 0\n", 160);
  EXPECT_EQ(game.failure, "");
  EXPECT_GE(game.moves.size(), 20u);
  // A result names the side that wrote it, or is a draw.
  EXPECT_EQ(game.result.find(game.resultByWhite ? "Black" : "White"), std::string::npos) << game.result;
}

TEST_F(PonderTest, CommandsWhileTheEngineSearches) {
  // The command waits in the input while the engine searches its answer to e2e4 on a long clock,
  // or ponders on the reply it predicts after answering at once. Thinking, the best move so far
  // (the first of the last thinking line) is played unless the command ends the game; pondering,
  // the predicted pair is taken back and nothing more is written.
  struct Case {
    bool pondering;
    const char *command;
    bool movePlayed;
    int pairs;
  };
  for (const Case &c : {Case{false, "?", true, 1}, Case{false, "new", false, 0},
                        Case{false, "quit", false, 0}, Case{false, "remove", true, 0},
                        Case{false, "force", true, 1}, Case{false, "result 1-0 {White wins}", true, 0},
                        Case{true, "?", true, 1}, Case{true, "force", true, 1}, Case{true, "remove", true, 0},
                        Case{true, "new", true, 0}, Case{true, "result 0-1 {Black wins}", true, 0}}) {
    std::string setUp = c.pondering ? "new\nhard\ntime 0\n" : "";
    Lines lines = PlayHere(GameStart + setUp + "usermove e2e4\n" + c.command + "\n"), moves;
    ThinkingLine last;
    for (const std::string &line : lines)
      if (!ParseThinkingLine(line, last)) moves.push_back(line);
    std::string scope = (c.pondering ? "pondering, " : "thinking, ") + std::string(c.command);
    SCOPED_TRACE(scope);
    EXPECT_EQ(Flow.gameRecordCount, c.pairs) << scope;
    if (c.command != std::string("quit")) ExpectBoardFromRecord();
    if (c.pondering) {
      EXPECT_EQ(moves.size(), 1u) << scope;
      EXPECT_EQ(lines.at(0).substr(0, 5), "move ") << scope;
      EXPECT_EQ(Flow.engineMoveCount, c.pairs) << scope;
    } else {
      EXPECT_EQ(moves, (c.movePlayed ? Lines{"move " + ProtocolMove(last.moves.empty() ? "" : last.moves[0])}
                                     : Lines{}))
          << scope;
    }
  }
}

TEST_F(PonderTest, TextThatIsNotAMoveWhilePondering) {
  // Text that is not a move is refused and the pondering goes on; "/R" must not make the engine
  // move without an opponent's move.
  Lines lines = PlayHere(GameStart + "new\nhard\ntime 0\nusermove e2e4\nusermove /R\n"), moves;
  for (const std::string &line : lines)
    if (!IsThinkingLine(line)) moves.push_back(line.substr(0, 5) == "move " ? "move" : line);
  EXPECT_EQ(moves, (Lines{"move", "Illegal move: /R"}));
  EXPECT_EQ(Flow.gameRecordCount, 1);
}

TEST_F(PonderTest, NoResultLineAfterAMoveThatLeavesAPrediction) {
  // Without pondering the fifth move of the shuttle ends in a repetition line.
  Lines lines = Play(GameStart + "hard\nsetboard k7/p2K4/P7/8/8/8/8/6N1 b - - 0 1\ntime 0\ngo\n" +
                     UserMoves({"g1h3", "h3g1", "g1h3", "h3g1", "g1h3"}, "otim 0\n") + "quit\n");
  Lines moves;
  for (const std::string &line : lines) {
    ThinkingLine thinking;
    if (!ParseThinkingLine(line, thinking))
      moves.push_back(line);
    else
      EXPECT_FALSE(thinking.pondered.empty()) << line;
  }
  EXPECT_EQ(moves, (Lines{"move a8b8", "move b8a8", "move a8b8", "move b8a8", "move a8b8", "move b8a8"}));
}

TEST_F(PonderTest, HitAfterThePonderSearchHasEndedInASetUpGame) {
  // Mate in two: pondering on Kb8 the engine finds the mate and stops; the hit, read while it
  // waits, is answered at once. The move read there is not handed to the interpreter again.
  Lines lines =
      Play(GameStart + "hard\nsetboard k7/p2K4/P7/8/8/8/7P/7R w - - 0 1\ntime 0\ngo\nusermove a8b8\nquit\n");
  ASSERT_EQ(lines.size(), 3u);
  ASSERT_EQ(lines[0].substr(0, 7), "move h1");
  std::string file = lines[0].substr(7, 1);
  EXPECT_EQ(lines[1], "move " + file + "1" + file + "8");
  EXPECT_EQ(lines[2], "1-0 {White mates}");
}

}  // namespace
