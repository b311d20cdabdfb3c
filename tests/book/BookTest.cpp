// The opening books: loading the record files, probing them for the engine's colour, and the
// mkbook tool that builds them, down to the books shipped in data/.
#include <gtest/gtest.h>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/Move.h"
#include "board/MoveText.h"
#include "board/PositionKey.h"
#include "board/Setup.h"
#include "book/Book.h"
#include "support/FreshEngine.h"
#include "support/Scratch.h"

namespace {

const std::string DataDir = std::string(KRELIN_SOURCE_DIR) + "/data/";

void ClearBooks() { std::memset(&Books.line, 0, sizeof Books.line); }

class BookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshEngine();
    ClearBooks();
    Game.engineIsWhite = true;
  }
  void TearDown() override { ClearBooks(); }
};

// A book line from coordinate moves in the orientation of the given book (0 White, 1 Black), or
// one of the one-byte markers "@" and "#".
BookLine Line(const std::string &text, int colour) {
  BookLine line{};
  if (text == "@" || text == "#") return line.length = 1, line.bytes[1] = uint8_t(text[0]), line;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    line.bytes[++line.length] = uint8_t(ParseSquareAs(word.substr(0, 2), colour == 0));
    line.bytes[++line.length] = uint8_t(ParseSquareAs(word.substr(2, 2), colour == 0));
  }
  return line;
}

void SetBook(int colour, const std::vector<std::string> &lines) {
  for (size_t i = 0; i < lines.size(); i++) Books.line[colour][i + 1] = Line(lines[i], colour);
}

// The game position after the given moves, with the engine on the given colour.
void PlayGame(bool engineIsWhite, const std::string &moves) {
  Game.engineIsWhite = engineIsWhite;
  Game.currentBoard = StartBoard;
  ASSERT_TRUE(PlayMoveString(moves, engineIsWhite)) << moves;  // White moves first
}

// Knight moves out and back, plies half-moves long: after every four the start position is back.
std::string KnightShuffle(int plies) {
  std::string moves;
  for (int k = 0; k < plies; k++)
    moves += std::string(k > 0 ? " " : "") + std::string("g1f3g8f6f3g1f6g8").substr(k % 4 * 4, 4);
  return moves;
}

// The candidates, each once; a move kept twice would make the set empty.
std::set<std::string> SlotSet() {
  std::set<std::string> texts;
  for (const Move &move : BookRecord.slot)
    if (!move.IsNull() && !texts.insert(CompactMoveText(move)).second) return {};
  return texts;
}

// Probes the game position with a fresh record, as the search's root does.
Move Probe(int gameRecordCount, uint64_t seed = 1) {
  ClearBookRecord();
  return BookProbe(Game.currentBoard, Game.engineIsWhite, gameRecordCount, seed);
}

TEST_F(BookTest, LinesBeyondSixtyBytesAreOutOfBook) {
  // A full 60-byte line whose first 28 plies come back to the start position.
  std::string shuffle = KnightShuffle(28);
  SetBook(0, {shuffle + " b1c3 b8c6"});
  SetBook(1, {shuffle + " b1c3 b8c6"});
  EXPECT_EQ(CompactMoveText(Probe(14)), "B1C3");  // bytes 57 and 58
  EXPECT_TRUE(Probe(15).IsNull());                // would be bytes 61 and 62
  EXPECT_TRUE(Probe(-1).IsNull()) << "a negative count must not index before the line";
  PlayGame(false, shuffle + " b1c3");
  EXPECT_EQ(CompactMoveText(Probe(14)), "B8C6");  // bytes 59 and 60, the last a record holds
  EXPECT_TRUE(Probe(15).IsNull());
}

TEST_F(BookTest, CountedSectionNeedsTwoLinesUnlessAllAreSingleOrABlockEnds) {
  const struct {
    std::vector<std::string> book;
    std::set<std::string> slots;
    bool noBonus;
  } cases[] = {
      {{"#", "@", "e2e4"}, {}, false},                                   // after "@" a single line is not
      {{"@", "e2e4", "d2d4"}, {"E2E4", "D2D4"}, false},                  // several, all once: all kept
      {{"@", "e2e4", "d2d4", "e2e4", "c2c4"}, {"E2E4"}, false},          // counts 2, 1, 1: the 1s go
      {{"@", "e2e4", "#", "d2d4", "d2d4"}, {"E2E4"}, false},             // "#" ends the section early
      {{"@", "e2e4", "e2e4", "d2d4", "#"}, {"E2E4"}, true},              // "#" with a counted winner
      {{"d2d4", "@", "e2e4", "e2e4", "d2d4"}, {"E2E4", "D2D4"}, false},  // lines before "@" count
  };
  for (const auto &c : cases) {
    ClearBooks();
    SetBook(0, c.book);
    std::string name = ::testing::PrintToString(c.book);
    Move move = Probe(0);
    EXPECT_EQ(SlotSet(), c.slots) << name;
    EXPECT_EQ(move.IsNull(), c.slots.empty()) << name;
    EXPECT_EQ(BookRecord.noBonus, c.noBonus) << name;
  }
}

TEST_F(BookTest, StoredSquaresOffTheBoardAreSkipped) {
  // The sentinel index as a target, and origins far outside the mailbox, also when replayed.
  SetBook(0, {"e2e4", "d2d4", "c2c4 e7e5", "e2e4 e7e5 g1f3", "e2e4 e7e5 b1c3"});
  Books.line[0][1].bytes[2] = 99;
  Books.line[0][2].bytes[1] = 200;
  Books.line[0][4].bytes[1] = 255;
  Probe(0);
  EXPECT_EQ(SlotSet(), (std::set<std::string>{"C2C4", "E2E4"}));
  PlayGame(true, "E2E4 E7E5");
  EXPECT_EQ(CompactMoveText(Probe(1)), "B1C3");
  EXPECT_EQ(SlotSet().size(), 1u);
}

TEST_F(BookTest, LoadBookSkipsBadRecordsAndKeepsWhatWasRead) {
  ScratchDirectory scratch;
  scratch.Write("book.bk", RecordBytes({35, 55, 85, 65}) + RecordBytes({}) + RecordBytes({35, 55}, 61) +
                               RecordBytes({'@'}) + RecordBytes(std::vector<int>(60, 34)) +
                               RecordBytes({34, 54}).substr(0, 30));
  Books.line[0][5] = Line("e2e4", 0);  // left over from an earlier load
  LoadBook(0, scratch.Path() + "/book.bk");
  // The empty and the over-long record are skipped, the short last one and the old line gone.
  const int lengths[] = {0, 4, 1, 60, 0, 0}, lastBytes[] = {0, 65, '@', 34};
  for (int k = 1; k <= 5; k++) EXPECT_EQ(Books.line[0][k].length, lengths[k]) << k;
  for (int k = 1; k <= 3; k++) EXPECT_EQ(Books.line[0][k].bytes[lengths[k]], lastBytes[k]) << k;
  EXPECT_EQ(Books.line[1][1].length, 0) << "the other colour is untouched";

  LoadBook(0, scratch.Path() + "/missing.bk");
  EXPECT_EQ(Books.line[0][1].length, 0) << "a missing file leaves an empty book";
}

ProcessResult MakeBook(const ScratchDirectory &scratch, const std::string &colour, const std::string &text,
                       const std::string &out = "out.bk") {
  scratch.Write("lines.txt", text);
  return RunProgram({KRELIN_DEV_BINARY, "mkbook", colour, "lines.txt", out}, scratch.Path(), "", 30);
}

TEST_F(BookTest, MkbookRoundTripForBothColours) {
  ScratchDirectory scratch;
  ProcessResult white = MakeBook(scratch, "white",
                                 "\\ a test book\ne2e4 e7e5 g1f3   \\ king's pawn\n\n  D2D4\tD7D5 c2c4 \r\n"
                                 "@\nc2c4 e7e5\n# \\ end of block\n"
                                 "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 a7a6 c1e3\n");
  ASSERT_EQ(white.exitStatus, 0) << white.err;
  EXPECT_EQ(white.out, "4 lines and 2 markers written to out.bk\n");
  std::string bytes = scratch.Read("out.bk");
  ASSERT_EQ(bytes.size(), 6u * BookRecordSize);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x06\x23\x37\x55\x41\x1b\x2e\x00", 8));  // e2e4 = 35, 55
  EXPECT_EQ(bytes.substr(2 * BookRecordSize, 2), "\x01@");
  LoadBook(0, scratch.Path() + "/out.bk");
  Probe(0);
  EXPECT_EQ(SlotSet(), (std::set<std::string>{"E2E4", "D2D4", "C2C4"}));

  ProcessResult black = MakeBook(scratch, "black", "e2e4 e7e5 g1f3 b8c6\nd2d4 g8f6\ne2e4 c7c5\n");
  ASSERT_EQ(black.exitStatus, 0) << black.err;
  EXPECT_EQ(scratch.Read("out.bk").substr(0, 3), "\x08\x55\x41") << "the Black book's e2e4 is 85, 65";
  LoadBook(1, scratch.Path() + "/out.bk");
  PlayGame(false, "E2E4");
  Probe(0);
  EXPECT_EQ(SlotSet(), (std::set<std::string>{"E7E5", "C7C5"}));
  PlayGame(false, "D2D4");
  EXPECT_EQ(CompactMoveText(Probe(0)), "G8F6");
}

TEST_F(BookTest, MkbookRejectsBadLinesWithoutWriting) {
  const std::string thirtyOne = KnightShuffle(31);
  const struct {
    const char *colour;
    std::string line;
  } cases[] = {
      {"white", "e2e4 e7e5 e2e5"}, {"white", "e2e4 e7e5 e1g1"}, {"white", "e2e4 e7e5 zz"},
      {"white", thirtyOne},        {"black", "e7e5 e2e4"},  // the Black book starts with White's move
  };
  for (const auto &c : cases) {
    ScratchDirectory scratch;
    scratch.Write("kept.bk", "old");
    ProcessResult run = MakeBook(scratch, c.colour, "e2e4 e7e5\n\n" + c.line + "\n", "kept.bk");
    EXPECT_EQ(run.exitStatus, 1) << c.line;
    EXPECT_EQ(run.out, "") << c.line;
    EXPECT_NE(run.err.find("lines.txt:3:"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.line), std::string::npos) << run.err;
    EXPECT_EQ(scratch.Read("kept.bk"), "old") << "a bad source leaves the old book in place";
  }
  ScratchDirectory scratch;  // thirty half-moves fit
  EXPECT_EQ(MakeBook(scratch, "white", KnightShuffle(30) + "\n").exitStatus, 0);
  EXPECT_EQ(scratch.Read("out.bk")[0], char(60));
}

TEST_F(BookTest, ShippedBooksAnswerTheMainOpenings) {
  LoadBooks(DataDir);
  Probe(0);
  EXPECT_TRUE(SlotSet().count("E2E4") && SlotSet().count("D2D4"));
  for (const char *opening : {"E2E4", "D2D4", "C2C4", "G1F3"}) {
    PlayGame(false, opening);
    EXPECT_FALSE(Probe(0).IsNull()) << opening;
  }
}

}  // namespace
