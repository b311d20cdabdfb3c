// Time control: turns the interface's level and time commands into the two limits of the next
// search and the depth below which the search does not stop for time. Time values are fractions
// of a day (1.0 = 24 hours), the unit of the engine's clock.
#pragma once

#include <cstdint>
#include <string>

constexpr double SecondInDays = 1.0 / 86400.0;
// What the interface's clock numbers are held to. A time (base, increment, clock reading) is at
// most a year: a longer one is read as a year. A period of more moves than any game can last is
// no period at all: the whole game is one period, as with 0.
constexpr double MaxClockDays = 365.0;
constexpr long MaxMovesPerPeriod = 10000;

struct ClockState {
  double timeLeft;           // the engine's remaining time
  double baseTime;           // time per period from the last level command
  double increment;          // Fischer increment per move
  int32_t movesPerPeriod;    // 0: the whole game is one period
  int32_t nominalDepth;      // the depth the /L command sets (12 after a new game)
  int32_t minTimeStopDepth;  // below this depth the search does not stop for time
  int32_t reductionDivisor;  // 100: turns 25 minutes into the 15 seconds of the depth rule
  double softTimeLimit;      // the planned time for this move
  double hardTimeLimit;      // the time the move must not exceed
  double startMark;          // clock reading at the start of the current search
  double moveTime;           // st: the time of every move, whatever the clock says; 0: none
};
extern ClockState Clock;

void ResetClock();  // start-up values
// "level MPS BASE INC", the line as read. Numbers are plain decimals; an unreadable increment is 0,
// an unreadable base time 5 minutes, an unreadable period none; negative times count as 0.
void HandleLevel(const std::string &rawLine);
void HandleTime(const std::string &centiseconds);  // the text after TIME; unreadable: ignored
// "st N": from the next search on every move gets N seconds, until level or another st; a value
// that is unreadable or not above 0 changes nothing.
void HandleMoveTime(const std::string &seconds);
// Soft and hard limit, MinTimeStopDepth, for the move after engineMoves moves of the engine's in
// this game.
void AllocateTime(int engineMoves);
// The same with the moves still to play in this period given, this one included (0: the whole game
// is one period, and the increment counts).
void AllocateTimeFor(int movesLeft, int engineMoves);
void MarkStartTime();
double ElapsedTime();  // days since the start mark
