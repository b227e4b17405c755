#include "reception/frame_watchdog.h"

namespace varnel {

namespace {

// The outcome is taken before re-arming: a cut window's completed holds are those above its
// current slot.
CodeEnd EndCode(PulseWindow& window, CaptureView& view) {
  if (window.SlotIndex == kArmedSlot) return std::nullopt;
  CodeOutcome outcome =
      window.SlotIndex == kWindowFull ? DecodedOutcome(window.Pulses) : TimeoutOutcome(window);
  ArmCapture(window, view);
  return outcome;
}

}  // namespace

CodeEnd WatchdogTick(PulseWindow& window, CaptureView& view, Tick now) {
  if (TickDiff(now, window.LastRelease) > kQuietMs) return EndCode(window, view);
  return std::nullopt;
}

CodeEnd EndCodeBeforePress(PulseWindow& window, CaptureView& view, Tick pressEventTime) {
  if (TickDiff(pressEventTime, window.LastReleaseEvent) > kQuietMs) return EndCode(window, view);
  return std::nullopt;
}

CodeEnd CutCode(PulseWindow& window, CaptureView& view, bool evenIfFull) {
  const bool held = window.Held;
  if (held) {
    window.Held = false;
    view.SetIndicatorFill(FillStyle::Transparent);
  }
  const bool complete = window.SlotIndex == kWindowFull && !evenIfFull;
  if (complete || (window.SlotIndex == kArmedSlot && !held)) return std::nullopt;
  CodeEnd end = TimeoutOutcome(window);
  ArmCapture(window, view);
  return end;
}

}  // namespace varnel
