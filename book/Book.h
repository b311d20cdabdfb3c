// The opening books: one file of opening lines for the games the engine plays as White
// ("KrelinWhite.bk") and one for Black ("KrelinBlack.bk"). A file is a sequence of 61-byte records:
// a length byte (0..60) and the line as pairs of raw mailbox squares (origin, destination), seen
// from the engine's side of that book: in the Black book the mailbox is mirrored and the first move
// is White's, made by the opponent. Two one-byte lines are markers: "@" starts the counted section
// (a move must then be proposed by more than one line) and "#" ends a block.
//
// BookRecord is what the root of a search knows about the book: the game flow probes the book
// into it before the search (the chosen book move in slot 0 with the other candidates after it,
// the status BookMovesFound), and the search's root adds its own decision (a supplied reply found,
// or the table's mate move when the book has none) and whether it took its move from the record.
#pragma once

#include <cstdint>
#include <string>

#include "board/Board.h"
#include "board/Move.h"

constexpr int BookLineLimit = 8000;
constexpr int BookRecordSize = 61;
constexpr int BookSlotCount = 21;
constexpr int BookCandidateLimit = 20;
constexpr const char *BookFileName[2] = {"KrelinWhite.bk", "KrelinBlack.bk"};

// Book status values.
constexpr uint8_t BookNone = 0;
constexpr uint8_t BookMovesFound = 1;
constexpr uint8_t BookSuppliedReply = 2;  // a root move matched the reply the game supplied
constexpr uint8_t BookStoredMate = 3;     // a mate move from the transposition table

struct BookLine {
  uint8_t length;                 // 0: empty entry
  uint8_t bytes[BookRecordSize];  // bytes[1..length] hold the line
};

struct OpeningBooks {
  BookLine line[2][BookLineLimit + 1];  // [0] White book, [1] Black book; entries 1..8000
  bool useBook;                         // the search probes the book at its root
};
extern OpeningBooks Books;

struct BookRecordData {
  Move slot[BookSlotCount];  // slot 0: the book move; 1..20 the other candidates
  uint8_t status;
  bool chosen;   // the root took its move from this record
  bool noBonus;  // play the book move at once instead of preferring it
};
extern BookRecordData BookRecord;

void ClearBookRecord();  // slots, status and flags
// The record cleared, the book switched on and the random generator at its start; the loaded book
// lines stay.
void ResetBookState();
void LoadBook(int colour, const std::string &path);  // 0 White, 1 Black; a missing file: no book
void LoadBooks(const std::string &filePrefix);
// The book move for position, the game's position after gameRecordCount move pairs with the
// engine playing White or Black (NullMove: none); fills BookRecord. The random choice among the
// surviving candidates is seeded from clockSeed.
// Plays the line's moves up to byteCount on board; false leaves board as it was.
bool ReplayBookLine(const BookLine &line, int byteCount, Board &board);
Move BookProbe(const Board &position, bool engineIsWhite, int gameRecordCount, uint64_t clockSeed);
bool IsBookCandidate(Move move);  // one of the record's 21 slots

// A small generator for the engine's random choices (book moves, the book's stop depth).
struct RandomState {
  uint64_t state;
};
extern RandomState RandomGenerator;
void SeedRandom(uint64_t seed);
int Random(int range);  // 0 .. range - 1
