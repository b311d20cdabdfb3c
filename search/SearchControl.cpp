#include "search/SearchControl.h"

namespace {

constexpr double MillisecondsPerDay = 86400000.0;

bool NoInput() { return false; }
void NoAction() {}
bool NothingPending() { return false; }
double NoTime() { return 0.0; }
void NoPostLine(int) {}
void NoAnalysisLine(int, bool) {}
void NoSearchLogLine(int) {}

}  // namespace

SearchSignals Signals;
StopFlag HelpersHalt;

SearchHooks SilentHooks() {
  return SearchHooks{NoInput,    NoAction,       NothingPending,  NoTime,  NoAction, NoTime,
                     NoPostLine, NoAnalysisLine, NoSearchLogLine, nullptr, nullptr};
}

// Until the driver fills them in, the search runs silent and untimed.
SearchHooks Hooks = SilentHooks();

uint64_t ClockSeed() { return uint64_t(Hooks.clockDays() * MillisecondsPerDay); }

void ClearSearchSignals() { Signals = SearchSignals{}; }
