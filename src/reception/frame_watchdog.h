// Finds the end of a code: a code has no end marker, it ends when the reader stops pressing.
#pragma once

#include <string>

#include "reception/pulse_capture.h"

namespace varnel {

// A code is over once more than this many ms have passed since the last release.
inline constexpr std::int32_t kQuietMs = 800;

// Where the watchdog hands a finished code, or the news that it was cut short.
class WatchdogSink : public CaptureView {
 public:
  virtual void DecodeFrame(const PulseArray& pulses) = 0;
  virtual void ShowError(const std::string& message) = 0;

 protected:
  ~WatchdogSink() = default;
};

inline const std::string kTimeoutMessage = "Timeout";

// One periodic check at tick `now`. After the quiet time it decodes a full window or reports a
// cut one as "Timeout", and re-arms capture either way; an armed window is left alone.
void WatchdogTick(PulseWindow& window, WatchdogSink& sink, Tick now);

// Called before a new press starts, with its key-down's event time. A key that went down more
// than the quiet time after the last release (both by the input system's clock) starts a new
// code, even if the program, stalled, has not yet seen that quiet on its own clock: the code
// before it is ended first, as the watchdog would have ended it, instead of running into the
// next one.
void EndCodeBeforePress(PulseWindow& window, WatchdogSink& sink, Tick pressEventTime);

// Ends the code in progress as cut, at once, when its remaining presses can no longer come (the
// device they came from has gone, or lost events): a held press, whose release will never be
// seen, or one to seven releases show "Timeout" and re-arm capture. A full window is a complete
// code and is left for the watchdog to decode, unless `evenIfFull`: its last release may not have
// been a real one, or presses after it may have been lost. An armed window is left alone.
void CutCode(PulseWindow& window, WatchdogSink& sink, bool evenIfFull);

}  // namespace varnel
