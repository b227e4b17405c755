#include "reception/frame_watchdog.h"

namespace varnel {

namespace {

void EndCode(PulseWindow& window, WatchdogSink& sink) {
  if (window.SlotIndex == kArmedSlot) return;
  if (window.SlotIndex == kWindowFull) {
    sink.DecodeFrame(window.Pulses);
  } else {
    sink.ShowError(kTimeoutMessage);
  }
  ArmCapture(window, sink);
}

}  // namespace

void WatchdogTick(PulseWindow& window, WatchdogSink& sink, Tick now) {
  if (TickDiff(now, window.LastRelease) > kQuietMs) EndCode(window, sink);
}

void EndCodeBeforePress(PulseWindow& window, WatchdogSink& sink, Tick pressEventTime) {
  if (TickDiff(pressEventTime, window.LastReleaseEvent) > kQuietMs) EndCode(window, sink);
}

void CutCode(PulseWindow& window, WatchdogSink& sink, bool evenIfFull) {
  const bool held = window.Held;
  if (held) {
    window.Held = false;
    sink.SetIndicatorFill(FillStyle::Transparent);
  }
  const bool complete = window.SlotIndex == kWindowFull && !evenIfFull;
  if (complete || (window.SlotIndex == kArmedSlot && !held)) return;
  sink.ShowError(kTimeoutMessage);
  ArmCapture(window, sink);
}

}  // namespace varnel
