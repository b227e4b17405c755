// The program's two clocks: the tick count its logic runs on, and the wall-clock time its records
// are stamped with.
#pragma once

#include <chrono>
#include <string>

#include "process/local_time.h"
#include "reception/tick.h"

namespace varnel {

// Milliseconds, wrapping in 32 bits: on Windows the system's tick count, which stamps the key
// messages; on Linux the monotonic clock, which the kernel stamps the reader's events on.
Tick TickCount();

inline std::string WallClock() { return LocalTimeText(std::chrono::system_clock::now()); }

}  // namespace varnel
