// The game-collection tools: the game filter and the book-text builder, on small PGN files written
// for each case, and the interpreter commands that reach them through the fixed directory.
#include "book/PgnTools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/Scratch.h"

namespace {

// Fourteen full moves in coordinates and the start of the fifteenth: 112 characters of variant.
const std::string CoordinateGame =
    "1. e2e4 e7e5 2. g1f3 b8c6 3. f1b5 a7a6 4. b5a4 g8f6 5. e1g1 f8e7 6. f1e1 b7b5 7. a4b3 d7d6 "
    "8. c2c3 e8g8 9. h2h3 c6a5 10. b3c2 c7c5 11. d2d4 d8c7 12. b1d2 c5d4 13. c3d4 a5c6 14. d2b3 a6a5 "
    "15. c1e3 a5a4 1-0";
const std::string CoordinateVariant =
    "e2e4e7e5g1f3b8c6f1b5a7a6b5a4g8f6e1g1f8e7f1e1b7b5a4b3d7d6c2c3e8g8h2h3c6a5b3c2c7c5d2d4d8c7b1d2c5d4c3d4a5c6"
    "d2b3a6a5";

std::string PgnGame(const std::string &white, const std::string &black, const std::string &result,
                    const std::string &site, const std::string &moves, const std::string &event = "Open") {
  return "[Event \"" + event + "\"]\n[Site \"" + site +
         "\"]\n[Date \"2001.01.01\"]\n[Round \"1\"]\n[White \"" + white + "\"]\n[Black \"" + black +
         "\"]\n[Result \"" + result + "\"]\n\n" + moves + "\n\n";
}

std::string Header(bool white, int variants) {
  return std::string(white ? "\\ Wit" : "\\ Zwart") + "  Spelers: " + PlayerList + "\r\n\\ " +
         std::to_string(variants) + "  varianten\r\n";
}

class PgnToolsTest : public ::testing::Test {
 protected:
  // The book text that BuildBookText writes for this PGN text.
  std::string Book(const std::string &pgn, bool white, int moves = BookTextMoves) {
    scratch.Write("in.pgn", pgn);
    EXPECT_TRUE(BuildBookText("in.pgn", "out.txt", moves, white, message, failure));
    return scratch.Read("out.txt");
  }
  std::string Filter(const std::string &pgn, const std::string &key) {
    scratch.Write("in.pgn", pgn);
    EXPECT_TRUE(FilterGamesByKey("in.pgn", "out.pgn", key, message, failure));
    return scratch.Read("out.pgn");
  }
  ScratchDirectory scratch;
  std::string message, failure;
};

TEST_F(PgnToolsTest, ACompleteCoordinateGameGivesOneVariantOf112Characters) {
  ASSERT_EQ(CoordinateVariant.size(), 112u);
  std::string pgn = PgnGame("Tarlov, Ivan", "Someone, Else", "1-0", "Hoogeveen NED", CoordinateGame);
  EXPECT_EQ(Book(pgn, true), Header(true, 1) + CoordinateVariant + "\\TARLOV,IVAN 1-0 HOOGEVEENNED\r\n");
  EXPECT_EQ(message, "  >> 1");
  // A win by White is no material for the Black book, and Black is no listed player.
  EXPECT_EQ(Book(pgn, false), Header(false, 0));
}

TEST_F(PgnToolsTest, TheFilterCopiesMatchingGamesAsRead) {
  std::string first = PgnGame("Vankris, P", "X", "1-0", "Assen", "1. e4 e5 1-0");
  std::string second = PgnGame("Y", "X", "0-1", "Emmen", "1. d4 d5 0-1");
  std::string last = PgnGame("Z", "Van Kris, Piet", "1/2-1/2", "Assen", "1. c4 c5 1/2-1/2");
  // The key is squeezed and found in the squeezed lines; the last game is examined too. The blank
  // lines between games belong to the game before them.
  EXPECT_EQ(SplitLines(Filter(first + second + last, "vankris")), SplitLines(first + last));
  EXPECT_EQ(message, "  >> 2");
  // A game of more than 100 lines is judged and written on its first 100.
  std::string longGame = "[Event \"Marathon\"]\n";
  for (int i = 2; i <= 120; i++) longGame += "{line " + std::to_string(i) + "}\n";
  std::vector<std::string> lines = SplitLines(Filter(longGame + second, "line50}"));
  ASSERT_EQ(lines.size(), 100u);
  EXPECT_EQ(lines.back(), "{line 100}");
  EXPECT_EQ(Filter(longGame + second, "line110}"), "");
}

}  // namespace
