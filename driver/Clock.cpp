#include "driver/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "board/Board.h"
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "driver/Platform.h"

ClockState Clock;

// Under st the search ends this much before the move's time is up: the interface's latency and
// the last stretch between two polls of the clock, and a share of the time for a machine so busy
// that the engine runs only now and then. The clock's own margins (1.1 and 1.2 seconds) would
// leave nothing of a second a move.
constexpr double MoveTimeMargin = 0.08 * SecondInDays;
constexpr double MoveTimeShare = 0.02;

void ResetClock() {
  Clock = ClockState{};
  Clock.baseTime = 0.5;  // twelve hours until the interface sets a level
  Clock.timeLeft = Clock.baseTime;
  Clock.nominalDepth = 6;
  Clock.minTimeStopDepth = 6;
  Clock.reductionDivisor = 100;
}

static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Takes the last token off the line: trailing blanks are skipped, then the token runs back to the
// blank before it. The line is cut before the token.
static std::string TakeLastToken(std::string &line) {
  size_t end = line.size();
  while (end > 0 && IsBlank(line[end - 1])) end--;
  size_t start = end;
  while (start > 0 && !IsBlank(line[start - 1])) start--;
  std::string token = line.substr(start, end - start);
  line.erase(start > 0 ? start - 1 : 0);
  return token;
}

// Clock numbers are plain decimals ("5", "0.5", "-3", "1e3"): text that strtod would also take
// (hexadecimal, "inf", "nan") is no number here, and a number past the range is held at its end.
static bool ToDouble(const std::string &text, double &value, double low, double high) {
  if (text.empty() || text.find_first_not_of(" +-.0123456789eE") != std::string::npos) return false;
  char *end = nullptr;
  double read = std::strtod(text.c_str(), &end);
  if (end == nullptr || *end != '\0' || std::isnan(read)) return false;
  value = std::clamp(read, low, high);
  return true;
}

static bool ToInteger(const std::string &text, long &value) {
  if (text.empty()) return false;
  char *end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return end != nullptr && *end == '\0';
}

void HandleLevel(const std::string &rawLine) {
  std::string line = rawLine;

  double seconds = 0;
  bool hasIncrement = ToDouble(TakeLastToken(line), seconds, 0, MaxClockDays * 86400.0);
  Clock.increment = hasIncrement ? seconds * SecondInDays : 0;

  // Minutes, less two seconds of safety; a minutes:seconds form falls back to five minutes.
  double minutes = 0;
  bool hasBase = ToDouble(TakeLastToken(line), minutes, 0, MaxClockDays * 1440.0);
  Clock.baseTime = hasBase ? (minutes - 1.0 / 30.0) / 1440.0 : 5.0 / 1440.0;
  Clock.timeLeft = Clock.baseTime;
  Clock.moveTime = 0;  // a level replaces st

  long moves = 0;
  Clock.movesPerPeriod = 0;
  if (ToInteger(TakeLastToken(line), moves) && moves >= 1 && moves <= MaxMovesPerPeriod) {
    Clock.movesPerPeriod = int32_t(moves);
    Clock.increment = 0;  // an increment is ignored with conventional periods
  }
}

void HandleTime(const std::string &centiseconds) {
  double c = 0;
  if (!ToDouble(centiseconds, c, 0, MaxClockDays * 86400.0 * 100.0)) return;
  c -= 30;  // 0.3 seconds of safety
  if (c < 0) c = 0;
  Clock.timeLeft = c / (86400.0 * 100.0);
}

void HandleMoveTime(const std::string &seconds) {
  double s = 0;
  if (ToDouble(seconds, s, 0, MaxClockDays * 86400.0) && s > 0) Clock.moveTime = s * SecondInDays;
}

// Early in the game with most of the engine's back row unmoved, a period's move gets more time.
static bool InOpening(int engineMoves) {
  if (engineMoves > 20) return false;
  int unmoved = 0;
  for (int square = 21; square <= 28; square++)
    if (Game.currentBoard[square] == StartBoard[square]) unmoved++;
  return unmoved >= 3;
}

void AllocateTime(int engineMoves) {
  AllocateTimeFor(Clock.movesPerPeriod <= 0 ? 0 : Clock.movesPerPeriod - engineMoves % Clock.movesPerPeriod,
                  engineMoves);
}

void AllocateTimeFor(int movesLeft, int engineMoves) {
  const double softMargin = 1.1 * SecondInDays, hardMargin = 1.2 * SecondInDays;
  double t = Clock.timeLeft, soft, hard;
  if (movesLeft <= 0) {
    soft = t / 30 + Clock.increment / 2;
    hard = 4 * soft;
    if (soft > 0.8 * t) soft = 0.8 * t;
    if (soft > t - softMargin) soft = t - softMargin;
    if (hard > 0.9 * t) hard = 0.9 * t;
    if (hard > t - hardMargin) hard = t - hardMargin;
  } else {
    if (t < 0) t = 0;
    int left = movesLeft;
    soft = left > 1 ? t / (left + 2) : t;
    if (InOpening(engineMoves)) soft = 1.5 * soft;
    hard = 4 * soft;
    if (left > 1) {
      if (hard > 0.6 * t) {
        hard = 0.6 * t;
        soft = 0.4 * t;
      }
    } else if (hard > 0.9 * t) {
      hard = 0.9 * t;
      soft = 0.6 * t;
    }
    if (soft > t - softMargin) soft = t - softMargin;
    if (hard > t - hardMargin) hard = t - hardMargin;
  }
  if (Clock.moveTime > 0) soft = hard = Clock.moveTime * (1 - MoveTimeShare) - MoveTimeMargin;
  if (hard < soft) soft = hard;
  Clock.softTimeLimit = soft;
  Clock.hardTimeLimit = hard;
  double depthRuleTime = 25.0 / 1440.0 / Clock.reductionDivisor;
  Clock.minTimeStopDepth = depthRuleTime >= soft ? Clock.nominalDepth - 1 : Clock.nominalDepth;
}

void MarkStartTime() { Clock.startMark = ClockDays(); }

double ElapsedTime() {
  double elapsed = ClockDays() - Clock.startMark;
  if (elapsed < -0.001) elapsed += 1.0;  // the day changed since the mark
  return elapsed;
}
