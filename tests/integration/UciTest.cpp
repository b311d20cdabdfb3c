// The UCI front end over pipes: the first command chooses it, and every answer is compared as
// text (the search's own lines only in their layout, as their numbers depend on the machine).
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/EngineFixture.h"

namespace {

using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

const Lines Identity = {"id name KrelinChess 070525",
                        "id author the KrelinChess authors",
                        "option name Hash type spin default 4 min 4 max 256",
                        "option name Clear Hash type button",
                        "option name Threads type spin default 1 min 1 max 64",
                        "option name Ponder type check default false",
                        "option name OwnBook type check default true",
                        "uciok"};

const std::regex InfoLine(
    "info depth [0-9]+ seldepth [0-9]+ score (cp -?[0-9]+|mate -?[0-9]+)( lowerbound| upperbound)? nodes "
    "[0-9]+ "
    "nps [0-9]+ time [0-9]+ pv( [a-h][1-8][a-h][1-8][qrbn]?)+");
const std::regex BestMove("bestmove [a-h][1-8][a-h][1-8][qrbn]?( ponder [a-h][1-8][a-h][1-8][qrbn]?)?");

class UciTest : public EngineFixture {
 protected:
  // Every line after the identity, for the whole input.
  Lines Talk(const std::string &input) {
    ProcessResult result = RunProgram({KRELIN_BINARY}, scratch.Path(), "uci\n" + input, 60);
    EXPECT_EQ(result.exitStatus, 0) << input;
    Lines lines = SplitLines(result.out);
    EXPECT_GE(lines.size(), Identity.size());
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + std::min(lines.size(), Identity.size())), Identity);
    return Lines(lines.begin() + std::min(lines.size(), Identity.size()), lines.end());
  }
  // The lines other than the search's info lines, which must all have the info layout.
  static Lines WithoutInfo(const Lines &lines) {
    Lines rest;
    for (const std::string &line : lines)
      if (line.rfind("info depth", 0) == 0 && line.find(" pv ") != std::string::npos)
        EXPECT_TRUE(std::regex_match(line, InfoLine)) << line;
      else
        rest.push_back(line);
    return rest;
  }
  static std::string Word(const std::string &line, const std::string &key) {
    std::smatch m;
    std::regex pattern(" " + key + " ([^ ]+)");
    return std::regex_search(line, m, pattern) ? m[1].str() : "";
  }
};

TEST_F(UciTest, IdentityReadyAndOptions) {
  EXPECT_EQ(Talk("isready\ndebug on\nregister later\nucinewgame\nisready\nuci\nquit\n"),
            (Lines{"readyok", "readyok", Identity[0], Identity[1], Identity[2], Identity[3], Identity[4],
                   Identity[5], Identity[6], Identity[7]}));
  // Hash as every UCI engine counts it: the largest size of the tables that fits.
  EXPECT_EQ(Talk("setoption name Hash value 100\nsetoption name Hash value 64\nsetoption name Clear Hash\n"
                 "setoption name OwnBook value false\nsetoption name Ponder value true\nquit\n"),
            (Lines{"info string Hash 64 MB"}));
}

TEST_F(UciTest, BadInputIsSaidAndTheLastGoodPositionStays) {
  Lines lines = Talk(
      "position startpos moves e2e4\n"
      "position fen rnbqkbnr/pppppppp/8/8/8/8 w KQkq - 0 1\n"
      "position fen 8/8/8/8/8/8/8/8 w - - 0 1\n"
      "position startpos moves e7e5\n"
      "position startpos moves e2e4 e7e5 e1e3\n"
      "position startpos moves e2e4 0000\n"
      "position\nposition fen\nposition startpos e2e4\n"
      "setoption name Hash value abc\nsetoption name Hash value -5\nsetoption name Hash value "
      "99999999999999999999\n"
      "setoption name Threads value 65\nsetoption name Threads value 2\nsetoption name OwnBook value maybe\n"
      "flip\n"
      "go depth x nodes -5 movetime 99999999999999 depth 1 searchmoves e2e4 z9 sideways\n"
      "quit\n");
  Lines rest = WithoutInfo(lines);
  ASSERT_EQ(rest.size(), 20u);
  EXPECT_EQ(
      Lines(rest.begin(), rest.end() - 1),
      (Lines{"info string illegal position: rnbqkbnr/pppppppp/8/8/8/8 w KQkq - 0 1; the last position stays",
             "info string illegal position: 8/8/8/8/8/8/8/8 w - - 0 1; the last position stays",
             "info string illegal move: e7e5; the last position stays",
             "info string illegal move: e1e3; the last position stays",
             "info string illegal move: 0000; the last position stays",
             "info string position needs startpos or fen", "info string position fen needs a position",
             "info string position: unexpected e2e4",
             "info string Hash must be a whole number from 4 to 256: abc",
             "info string Hash must be a whole number from 4 to 256: -5",
             "info string Hash must be a whole number from 4 to 256: 99999999999999999999",
             "info string Threads must be a whole number from 1 to 64: 65",
             "info string OwnBook must be true or false: maybe", "info string unknown command: flip",
             "info string go depth needs a whole number: x", "info string go nodes -5 is out of range: 0",
             "info string go movetime 99999999999999 is out of range: 31536000000",
             "info string go searchmoves: not a move: z9",
             "info string go searchmoves: not a move: sideways"}));
  // Black to move after e2e4, the last good position: a move of Black's (e7e5 or another).
  EXPECT_TRUE(
      std::regex_match(rest.back(), std::regex("bestmove [a-h]7[a-h][56]( ponder .*)?|bestmove [bg]8.*")))
      << rest.back();

  EXPECT_EQ(WithoutInfo(Talk("go depth 1 searchmoves a2a3\nquit\n")),
            (Lines{"info string go before any position: the initial position is searched",
                   "bestmove a2a3 ponder e7e5"}));
}

TEST_F(UciTest, ALongGameInOneLine) {
  // 30 times the knights out and back, then e4: a position line of over 600 characters.
  std::string moves;
  for (int i = 0; i < 30; i++) moves += " g1f3 g8f6 f3g1 f6g8";
  Lines lines = WithoutInfo(Talk("position startpos moves" + moves + " e2e4\ngo depth 2\nquit\n"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex("bestmove [a-h][78][a-h][1-8].*"))) << lines[0];
}

TEST_F(UciTest, MateStalemateAndTheScoreOfAMate) {
  // Black is mated, or stalemated: no move, the score of the position.
  EXPECT_EQ(
      Talk("position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1\ngo depth 3\n"
           "position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo movetime 100\nquit\n"),
      (Lines{"info depth 0 score mate 0", "bestmove 0000", "info depth 0 score cp 0", "bestmove 0000"}));
  // White mates in one (Qb8), and Black, to move after a quiet white move, is mated in one.
  Lines lines = Talk("position fen 7k/8/6K1/8/8/8/8/1Q6 w - - 0 1\ngo depth 4\nquit\n");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "bestmove b1b8");
  EXPECT_EQ(Word(lines.at(lines.size() - 2), "score"), "mate");
  EXPECT_NE(lines.at(lines.size() - 2).find("score mate 1 "), std::string::npos)
      << lines.at(lines.size() - 2);
  lines = Talk("position fen 7k/8/6K1/8/8/8/8/1Q6 w - - 0 1 moves b1c1\ngo depth 6\nquit\n");
  ASSERT_GE(lines.size(), 2u);
  EXPECT_NE(lines.at(lines.size() - 2).find("score mate -"), std::string::npos) << lines.at(lines.size() - 2);
}

TEST_F(UciTest, EachFormOfGo) {
  // depth: the last iteration reported is that depth; nodes: a cap met within a poll's nodes.
  Lines lines = WithoutInfo(Talk("position startpos moves d2d4 g8f6\ngo depth 5\nquit\n"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(lines[0], BestMove)) << lines[0];
  lines = Talk("setoption name OwnBook value false\nposition startpos\ngo depth 5\nquit\n");
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(Word(lines.at(lines.size() - 2), "depth"), "5");
  lines = Talk("position startpos moves e2e4 c7c5\ngo nodes 100000\nquit\n");
  ASSERT_GE(lines.size(), 2u);
  EXPECT_LE(std::stoull(Word(lines.at(lines.size() - 2), "nodes")), 100000u + 65536u);

  // movetime is used to its end, and a clock search answers within its allocation.
  for (std::string go : {"go movetime 400", "go wtime 2000 btime 2000 winc 100 binc 100",
                         "go btime 10 wtime 600 movestogo 1"}) {
    EngineSession engine(KRELIN_BINARY, scratch.Path());
    engine.Send("uci\nsetoption name OwnBook value false\nposition startpos moves e2e4\nisready\n");
    Lines seen;
    ASSERT_TRUE(engine.ReadUntil("readyok", seen));
    Clock::time_point start = Clock::now();
    engine.Send(go + "\n");
    ASSERT_TRUE(engine.ReadUntil("bestmove", seen, 10));
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_TRUE(std::regex_match(seen.back(), BestMove)) << seen.back();
    if (go == "go movetime 400")
      EXPECT_TRUE(seconds > 0.3 && seconds < 0.6) << seconds;
    else
      EXPECT_LT(seconds, 1.5) << go;
    engine.Send("quit\n");
    EXPECT_EQ(engine.Wait(), 0);
  }
}

TEST_F(UciTest, InfiniteAnalysisStopsAtOnceAndAnswersIsReady) {
  EngineSession engine(KRELIN_BINARY, scratch.Path());
  engine.Send(
      "uci\nposition fen r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3\ngo infinite\n");
  Lines seen;
  ASSERT_TRUE(engine.ReadUntil("info depth 6", seen));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  engine.Send("isready\n");
  ASSERT_TRUE(engine.ReadUntil("readyok", seen, 2));
  Clock::time_point start = Clock::now();
  engine.Send("stop\n");
  ASSERT_TRUE(engine.ReadUntil("bestmove", seen, 2));
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_LT(seconds, 0.25);
  EXPECT_TRUE(std::regex_match(seen.back(), BestMove)) << seen.back();
  for (const std::string &line : seen)
    EXPECT_TRUE(line.rfind("info", 0) == 0 || line.rfind("id", 0) == 0 || line.rfind("option", 0) == 0 ||
                line == "uciok" || line == "readyok" || line.rfind("bestmove", 0) == 0)
        << line;
  // An infinite search that has found the mate still waits for stop.
  engine.Send("position fen 7k/8/6K1/8/8/8/8/1Q6 w - - 0 1\ngo infinite\n");
  std::string line;
  while (engine.ReadLine(line, 1)) EXPECT_EQ(line.rfind("bestmove", 0), std::string::npos) << line;
  engine.Send("stop\n");
  seen.clear();
  ASSERT_TRUE(engine.ReadUntil("bestmove", seen, 2));
  EXPECT_EQ(seen.back(), "bestmove b1b8");
  engine.Send("quit\n");
  EXPECT_EQ(engine.Wait(), 0);
}

TEST_F(UciTest, PonderHitAndMiss) {
  for (bool hit : {true, false}) {
    EngineSession engine(KRELIN_BINARY, scratch.Path());
    engine.Send(
        "uci\nsetoption name OwnBook value false\nposition startpos moves e2e4\ngo wtime 3000 btime 3000\n");
    Lines seen;
    ASSERT_TRUE(engine.ReadUntil("bestmove", seen));
    std::smatch m;
    std::regex withPonder("bestmove ([a-h1-8qrbn]+) ponder ([a-h1-8qrbn]+)");
    ASSERT_TRUE(std::regex_match(seen.back(), m, withPonder)) << seen.back();
    const std::string reply = m[1].str(), predicted = m[2].str();  // seen is cleared below
    std::string moves = "e2e4 " + reply + " " + predicted;
    engine.Send("position startpos moves " + moves + "\ngo ponder wtime 3000 btime 3000\n");
    std::string line;
    EXPECT_FALSE(engine.ReadLine(line, 0.5) && line.rfind("bestmove", 0) == 0) << line;
    Clock::time_point start = Clock::now();
    engine.Send(hit ? "ponderhit\n" : "stop\n");
    seen.clear();
    ASSERT_TRUE(engine.ReadUntil("bestmove", seen, 5));
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!hit) {
      EXPECT_LT(seconds, 0.25);
    }
    EXPECT_TRUE(std::regex_match(seen.back(), BestMove)) << seen.back();
    // After a miss the real move: the game continues from the position given, whatever was pondered.
    engine.Send("position startpos moves e2e4 " + reply + (predicted == "a2a3" ? " h2h3" : " a2a3") +
                "\ngo wtime 3000 btime 3000\n");
    seen.clear();
    ASSERT_TRUE(engine.ReadUntil("bestmove", seen, 5));
    EXPECT_TRUE(std::regex_match(seen.back(), BestMove)) << seen.back();
    engine.Send("quit\n");
    EXPECT_EQ(engine.Wait(), 0);
  }
}

TEST_F(UciTest, AWholeGameThroughPositionAndClocks) {
  // Two engines play each other as a UCI interface drives them: the game's moves from the start
  // with every go, the clocks counted down. Each move must be legal for the other engine, which
  // would refuse the position with an info string.
  EngineSession white(KRELIN_BINARY, scratch.Path()), black(KRELIN_BINARY, scratch.Path());
  for (EngineSession *engine : {&white, &black}) engine->Send("uci\nucinewgame\nisready\n");
  Lines seen;
  ASSERT_TRUE(white.ReadUntil("readyok", seen) && black.ReadUntil("readyok", seen));
  std::string moves;
  double clock[2] = {6000, 6000};
  int plies = 0;
  for (; plies < 80; plies++) {
    EngineSession &engine = plies % 2 == 0 ? white : black;
    engine.Send("position startpos" + (moves.empty() ? "" : " moves" + moves) + "\ngo wtime " +
                std::to_string(int(clock[0])) + " btime " + std::to_string(int(clock[1])) +
                " winc 50 binc 50\n");
    Clock::time_point start = Clock::now();
    seen.clear();
    ASSERT_TRUE(engine.ReadUntil("bestmove", seen, 10));
    clock[plies % 2] += 50 - 1000 * std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_GT(clock[plies % 2], 0) << "lost on time at ply " << plies;
    for (const std::string &line : seen)
      ASSERT_EQ(line.find("info string"), std::string::npos) << line << moves;
    if (seen.back() == "bestmove 0000") break;
    ASSERT_TRUE(std::regex_match(seen.back(), BestMove)) << seen.back();
    moves += " " + Word(seen.back(), "bestmove");
  }
  EXPECT_GE(plies, 30);
  for (EngineSession *engine : {&white, &black}) {
    engine->Send("quit\n");
    EXPECT_EQ(engine->Wait(), 0);
  }
}

TEST_F(UciTest, NoConsoleLogUnderUciAndTheXboardLogKeepsItsFirstLine) {
  scratch.Write("krelininit.txt", "HASH=1\nCLOG=1\n");
  Talk("isready\nquit\n");
  EXPECT_FALSE(scratch.Exists("conlogbestand.txt"));
  RunProgram({KRELIN_BINARY}, scratch.Path(), "xboard\nprotover 2\nquit\n", 30);
  Lines log = SplitLines(scratch.Read("conlogbestand.txt"));
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[2], "in:  xboard");
  EXPECT_EQ(log[3], "in:  protover 2");
}

}  // namespace
