#include <windows.h>

#include "process/program_clock.h"

namespace varnel {

Tick TickCount() { return static_cast<Tick>(GetTickCount()); }

}  // namespace varnel
