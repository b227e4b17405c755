// The program's two clocks on Linux: the tick count its logic runs on, and the wall-clock time
// its records are stamped with.
#pragma once

#include <string>

#include "reception/tick.h"

namespace varnel {

// Milliseconds of the monotonic clock, wrapping in 32 bits like the Windows tick count: the
// kernel stamps the reader's events on the same clock.
Tick TickCount();
std::string WallClock();

}  // namespace varnel
