// Finds the end of a code: a code has no end marker, it ends when the reader stops pressing.
#pragma once

#include <optional>

#include "reception/code_outcome.h"
#include "reception/pulse_capture.h"

namespace varnel {

// A code is over once more than this many ms have passed since the last release.
inline constexpr std::int32_t kQuietMs = 800;

// What a step of the watchdog ended: a decoded code, one cut short, or nothing.
using CodeEnd = std::optional<CodeOutcome>;

// One periodic check at tick `now`. After the quiet time it decodes a full window or ends a cut
// one as a timeout, and re-arms capture either way; an armed window is left alone.
[[nodiscard]] CodeEnd WatchdogTick(PulseWindow& window, CaptureView& view, Tick now);

// Called before a new press starts, with its key-down's event time. A key that went down more
// than the quiet time after the last release (both by the input system's clock) starts a new
// code, even if the program, stalled, has not yet seen that quiet on its own clock: the code
// before it is ended first, as the watchdog would have ended it, instead of running into the
// next one.
[[nodiscard]] CodeEnd EndCodeBeforePress(PulseWindow& window, CaptureView& view,
                                         Tick pressEventTime);

// Ends the code in progress as cut, at once, when its remaining presses can no longer come (the
// device they came from has gone, or lost events): a held press, whose release will never be
// seen, or one to seven releases end as a timeout and re-arm capture. A full window is a complete
// code and is left for the watchdog to decode, unless `evenIfFull`: its last release may not have
// been a real one, or presses after it may have been lost. An armed window is left alone.
[[nodiscard]] CodeEnd CutCode(PulseWindow& window, CaptureView& view, bool evenIfFull);

}  // namespace varnel
