#include "search/SearchControl.h"

SearchSignals Signals;
StopFlag HelpersHalt;

void ClearSearchSignals() { Signals = SearchSignals{}; }
