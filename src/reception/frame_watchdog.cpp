#include "reception/frame_watchdog.h"

namespace varnel {

void WatchdogTick(PulseWindow& window, WatchdogSink& sink, Tick now) {
  if (TickDiff(now, window.LastRelease) <= kQuietMs) return;
  if (window.SlotIndex == kArmedSlot) return;
  if (window.SlotIndex == kWindowFull) {
    sink.DecodeFrame(window.Pulses);
  } else {
    sink.ShowError(kTimeoutMessage);
  }
  ArmCapture(window, sink);
}

}  // namespace varnel
