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

}  // namespace varnel
