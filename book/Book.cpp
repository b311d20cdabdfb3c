#include "book/Book.h"

#include <cstdio>

#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/MoveText.h"
#include "board/Validate.h"

OpeningBooks Books;
BookRecordData BookRecord;
RandomState RandomGenerator;

void ClearBookRecord() {
  for (Move &move : BookRecord.slot) move = NullMove;
  BookRecord.status = BookNone;
  BookRecord.chosen = false;
  BookRecord.noBonus = false;
}

void ResetBookState() {
  ClearBookRecord();
  Books.useBook = true;
  RandomGenerator = RandomState{};
}

void LoadBook(int colour, const std::string &path) {
  for (BookLine &line : Books.line[colour]) line.length = 0;
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  uint8_t record[BookRecordSize];
  int count = 0;
  while (count < BookLineLimit && std::fread(record, 1, BookRecordSize, file) == size_t(BookRecordSize)) {
    // An empty record is skipped; so is one whose length claims more than the record holds.
    if (record[0] == 0 || record[0] > BookRecordSize - 1) continue;
    BookLine &line = Books.line[colour][++count];
    line.length = record[0];
    for (int k = 1; k <= line.length; k++) line.bytes[k] = record[k];
  }
  std::fclose(file);
}

void LoadBooks(const std::string &filePrefix) {
  LoadBook(0, filePrefix + BookFileName[0]);
  LoadBook(1, filePrefix + BookFileName[1]);
}

// Plays the line's moves up to byteCount on board; false leaves board as it was: also when a move
// does not fit the board it is played on, as in a damaged book file.
bool ReplayBookLine(const BookLine &line, int byteCount, Board &board) {
  Board work = board;
  for (int k = 1; k < byteCount; k += 2) {
    int from = line.bytes[k], to = line.bytes[k + 1];
    // A square off the board is as unplayable as an empty origin.
    if (!IsPlayingSquare(from) || !IsPlayingSquare(to) || work[from] == Empty) return false;
    Move move = ResolveMove(work, from, to);
    if (!MoveIsOk(work, move)) return false;  // a damaged line would wreck the board (a king taken, ...)
    ApplyMove(move, work);
  }
  board = work;
  return true;
}

bool IsBookCandidate(Move move) {
  for (const Move &slot : BookRecord.slot)
    if (!slot.IsNull() && slot == move) return true;
  return false;
}

namespace {
struct Candidate {
  Move move;
  int count;
};
}  // namespace

// Largest count first; of equal counts the earlier candidate stays in front.
static void SortBookCandidates(Candidate *candidates, int count) {
  for (int p = 0; p < count - 1; p++) {
    int best = p;
    for (int q = p + 1; q < count; q++)
      if (candidates[q].count > candidates[best].count) best = q;
    std::swap(candidates[p], candidates[best]);
  }
}

static bool IsMarkerLine(const BookLine &line, char marker) {
  return line.length == 1 && line.bytes[1] == uint8_t(marker);
}

Move BookProbe(const Board &position, bool engineIsWhite, int gameRecordCount, uint64_t clockSeed) {
  int colour = engineIsWhite ? 0 : 1;
  long long lineBytes = 4LL * gameRecordCount + (engineIsWhite ? 2 : 4);
  // Beyond 60 bytes the game is out of book; a negative count would index before the line.
  if (lineBytes > 60 || lineBytes < 2) return NullMove;
  int length = int(lineBytes);

  Candidate candidates[BookCandidateLimit];
  int count = 0;
  bool marker = false;
  for (int i = 1; i <= BookLineLimit && count < BookCandidateLimit; i++) {
    const BookLine &line = Books.line[colour][i];
    if (IsMarkerLine(line, '@')) {
      marker = true;
    } else if (IsMarkerLine(line, '#') && count > 0) {
      BookRecord.noBonus = true;
      if (marker) break;
    } else if (line.length >= length) {
      Board replayed = StartBoard;
      if (length >= 4 && !ReplayBookLine(line, length - 2, replayed)) continue;
      if (!SamePosition(replayed, position)) continue;
      int from = line.bytes[length - 1], to = line.bytes[length];
      if (!IsPlayingSquare(from) || !IsPlayingSquare(to)) continue;
      Move move = ResolveMove(replayed, from, to);
      int known = 0;
      while (known < count && !(candidates[known].move == move)) known++;
      if (known < count)
        candidates[known].count++;
      else
        candidates[count++] = Candidate{move, 1};
    }
  }
  if (count == 0) return NullMove;

  if (!marker) {
    BookRecord.noBonus = true;
  } else {
    SortBookCandidates(candidates, count);
    if (candidates[0].count == 1) {
      if (BookRecord.noBonus)
        BookRecord.noBonus = false;
      else if (count == 1)
        count = 0;  // a single line after the marker is not enough
    } else {
      while (count > 1 && candidates[count - 1].count == 1) count--;
    }
  }
  if (count == 0) return NullMove;

  int chosen = 0;
  if (count > 1) {
    SeedRandom(clockSeed);
    chosen = Random(count);
  }
  Move result = candidates[chosen].move;
  BookRecord.slot[0] = result;
  int slot = 1;
  for (int k = 0; k < count; k++)
    if (k != chosen) BookRecord.slot[slot++] = candidates[k].move;
  return result;
}

void SeedRandom(uint64_t seed) { RandomGenerator.state = seed; }

int Random(int range) {
  RandomGenerator.state = RandomGenerator.state * 6364136223846793005ULL + 1442695040888963407ULL;
  return range <= 0 ? 0 : int((RandomGenerator.state >> 33) % uint64_t(range));
}
