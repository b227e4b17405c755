// Turns F12 key-downs and key-ups into hold times, keeping the eight most recent ones.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "reception/tick.h"

namespace varnel {

inline constexpr std::int32_t kSlotCount = 8;
// The slot that the first press of a code fills; also the index that arms capture.
inline constexpr std::int32_t kArmedSlot = kSlotCount - 1;
// The slot index of a window whose eight slots all hold hold times.
inline constexpr std::int32_t kWindowFull = -1;

using PulseArray = std::array<std::int32_t, kSlotCount>;

// Two clocks meet here. A hold is the difference of two event times, stamped by the input system
// when the key moved, so that whatever delays the program between the key going down and the
// event being handled (a busy or stalled machine) stays out of the hold. The quiet time that ends
// a code is counted on the program's own tick count from when it handled the release: the input
// system's clock may have any offset from it (a remote X server), so no decision compares the
// two clocks.
struct PulseWindow {
  // While a press is held its slot holds the key-down's event time; after the release, the hold
  // in ms. The first press of a code lands in slot 7, the eighth in slot 0.
  PulseArray Pulses{};
  // The slot the current or next press fills; kWindowFull once all eight are complete.
  std::int32_t SlotIndex = 0;
  // The program's tick when it handled the most recent release; 0 until the first one.
  Tick LastRelease = 0;
  // The event time of that release, on the input system's clock.
  Tick LastReleaseEvent = 0;
  // A press has gone down and not yet come up.
  bool Held = false;
};

enum class FillStyle : std::int32_t { Solid = 0, Transparent = 1 };

// The two indicators that capture keeps up to date: the remaining-press counter and the lamp that
// is lit while F12 is held. The window implements it.
class CaptureView {
 public:
  virtual void SetCountCaption(const std::string& caption) = 0;
  virtual void SetIndicatorFill(FillStyle fill) = 0;

 protected:
  ~CaptureView() = default;
};

// F12 key-down stamped `eventTime` by the input system. A key-down that the platform flags as an
// auto-repeat is ignored: a hold longer than the keyboard's repeat delay must still be measured
// from its first key-down.
void PulseStart(PulseWindow& window, CaptureView& view, Tick eventTime, bool isAutoRepeat);

// F12 key-up stamped `eventTime`, handled at the program's tick `now`. A key-up that finds the
// window full has no press to complete (its key-down went to another window) and is ignored.
void PulseEnd(PulseWindow& window, CaptureView& view, Tick eventTime, Tick now);

// Makes the next press the first of a code. The slots keep their old values until overwritten.
void ArmCapture(PulseWindow& window, CaptureView& view);

}  // namespace varnel
