#include "search/SearchControl.h"

SearchSignals Signals;

void ClearSearchSignals() { Signals = SearchSignals{}; }
