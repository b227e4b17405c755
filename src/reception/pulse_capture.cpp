#include "reception/pulse_capture.h"

#include "reception/array_helpers.h"

namespace varnel {
namespace {

void ShowRemaining(const PulseWindow& window, CaptureView& view) {
  view.SetCountCaption(std::to_string(window.SlotIndex + 1));
}

std::size_t Slot(const PulseWindow& window) { return static_cast<std::size_t>(window.SlotIndex); }

}  // namespace

void PulseStart(PulseWindow& window, CaptureView& view, Tick eventTime, bool isAutoRepeat) {
  if (isAutoRepeat) return;
  if (window.SlotIndex == kWindowFull) {
    // A press beyond the eighth before the code was taken: keep the latest eight.
    modStd::ShiftUp(window.Pulses);
    window.SlotIndex = 0;
  }
  window.Pulses.at(Slot(window)) = eventTime;
  window.Held = true;
  view.SetIndicatorFill(FillStyle::Solid);
}

void PulseEnd(PulseWindow& window, CaptureView& view, Tick eventTime, Tick now) {
  if (window.SlotIndex == kWindowFull) return;
  window.Held = false;
  std::int32_t& slot = window.Pulses.at(Slot(window));
  slot = TickDiff(eventTime, slot);
  --window.SlotIndex;
  ShowRemaining(window, view);
  view.SetIndicatorFill(FillStyle::Transparent);
  window.LastRelease = now;
  window.LastReleaseEvent = eventTime;
}

void ArmCapture(PulseWindow& window, CaptureView& view) {
  window.SlotIndex = kArmedSlot;
  ShowRemaining(window, view);
}

}  // namespace varnel
