// What must hold of the window after every event, whatever came before: for the long soak and
// the fuzzer. Returns what is broken, or an empty string.
#pragma once

#include <string>

#include "ui/simulated_loop.h"

namespace varnel {

inline bool IsDecimalIn(const std::string& text, int min, int max) {
  if (text.empty() || text.size() > 3 || (text.size() > 1 && text[0] == '0')) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= min && value <= max;
}

inline std::string BrokenInvariant(SimulatedLoop& loop) {
  const Form1Controls& s = loop.Screen();
  const std::int32_t slot = loop.form.Window().SlotIndex;
  if (slot < kWindowFull || slot > kArmedSlot) return "slot index " + std::to_string(slot);
  if (!s.Enabled(TimerId::Timer3)) return "the watchdog stopped";
  if (s.lblErr.Visible != s.Enabled(TimerId::Timer2)) return "error text and blinking disagree";
  if (!s.Enabled(TimerId::Timer1)) {
    if (loop.LightOn()) return "light on with nothing displayed";
    if (s.lblErr.Visible) return "error shown with no display running";
    if (s.Valore.BackColor != kColorButtonFace) return "value coloured with no display running";
  } else if (!s.Enabled(TimerId::Timer2) && !loop.LightOn()) {
    return "light off during a steady display";
  }
  if (!IsDecimalIn(s.lblCnt.Caption, 0, 8)) return "count caption '" + s.lblCnt.Caption + "'";
  if (!IsDecimalIn(s.Valore.Caption, 0, 255)) return "value caption '" + s.Valore.Caption + "'";
  for (const Label& bit : s.Bit) {
    if (bit.Caption != "0" && bit.Caption != "1") return "bit caption '" + bit.Caption + "'";
  }
  if (s.lblErr.Caption != "ERRORE" && s.lblErr.Caption != kParityMessage &&
      s.lblErr.Caption != kTimeoutMessage) {
    return "error caption '" + s.lblErr.Caption + "'";
  }
  return {};
}

}  // namespace varnel
