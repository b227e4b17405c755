// The main window's logic, free of any toolkit. It owns the capture state and every property of
// the window's controls that the logic changes; the window shells render these properties and
// feed in key events and timer ticks.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "light/lock_key_port.h"
#include "link/reader_presence.h"
#include "reception/code_outcome.h"
#include "reception/frame_watchdog.h"
#include "reception/pulse_capture.h"
#include "ui/code_listener.h"
#include "ui/color.h"

namespace varnel {

inline constexpr std::int16_t kKeyF12 = 123;

// Timer1 ends a display, Timer2 blinks the light on an error, Timer3 is the watchdog. RepeatPair
// is the input's: how long a window's release waits for the press that would make it half of an
// auto-repeat pair (see ui/repeat_pair.h); TypeWait, how often a code to be typed looks again
// whether the person still holds a modifier (see ui/code_typing.h).
enum class TimerId : std::size_t { Timer1, Timer2, Timer3, RepeatPair, TypeWait };
inline constexpr std::array<TimerId, 5> kTimers{TimerId::Timer1, TimerId::Timer2, TimerId::Timer3,
                                                TimerId::RepeatPair, TimerId::TypeWait};
constexpr std::int32_t TimerInterval(TimerId timer) {
  constexpr std::array<std::int32_t, 5> intervalsMs{2000, 200, 100, 20, 25};
  return intervalsMs[static_cast<std::size_t>(timer)];
}

struct Label {
  explicit Label(std::string caption, bool visible = true)
      : Caption(std::move(caption)), Visible(visible) {}
  std::string Caption;
  bool Visible = true;
  Color BackColor = kColorButtonFace;
  // Empty: no tooltip.
  std::string ToolTip;
};

struct Form1Controls {
  Label lblCnt{"8"};
  FillStyle Sh1FillStyle = FillStyle::Transparent;
  // Bit[0] is the last press, the parity element; Bit[7] the first, the most significant.
  std::array<Label, kSlotCount> Bit{Label{"0"}, Label{"0"}, Label{"0"}, Label{"0"},
                                    Label{"0"}, Label{"0"}, Label{"0"}, Label{"0"}};
  Label Valore{"0"};
  Label lblErr{"ERRORE", false};
  // The "Lettore" frame's tooltip: the way the reader's presses come in.
  std::string ReaderToolTip;
  std::array<bool, kTimers.size()> TimerEnabled{};  // by TimerId

  bool Enabled(TimerId timer) const { return TimerEnabled[static_cast<std::size_t>(timer)]; }
};

// What the logic calls out to, in the window (or the program without one) that hosts it.
class FormPort {
 public:
  // Enabling a timer starts its period anew, also when it was already running, so that every
  // outcome is shown for its full time.
  virtual void SetTimerEnabled(TimerId timer, bool enabled) = 0;
  // A modal warning with an exclamation icon and one OK button; returns once it is closed.
  virtual void ShowWarning(const std::string& text, const std::string& title) = 0;
  // The window's outer width, frame included, in twips.
  virtual void SetOuterWidth(std::int32_t twips) = 0;

 protected:
  ~FormPort() = default;
};

inline const std::string kAppTitle = "Varnel";
inline const std::string kReaderMissingMessage = "Il lettore non è collegato al computer";
// Just around the reader frame: the Trg button, right of it, is pushed out of view.
inline constexpr std::int32_t kRunningOuterWidthTwips = 3850;

class Form1 final : private CaptureView {
 public:
  Form1(LockKeyPort& light, KeyboardLister& keyboards, FormPort& host)
      : light_(light), keyboards_(keyboards), host_(host) {}

  // Once, before the window is first shown: warns if the reader is missing, lights the reader's
  // light for two seconds, arms capture and only then starts the watchdog, so no tick can find
  // an unarmed window while the warning is open.
  void Load();
  // Instead of Load, for a window that only shows the codes of another Varnel, which has the
  // reader: no reader check and no start-up light, and no key of the window's counts.
  void LoadAsViewer();
  // A code that the followed Varnel decided, shown as this window shows its own: the bits and
  // the value, green or the error text, for two seconds. It is not reported as this one's.
  void ShowFollowed(const CodeOutcome& outcome);
  // When the window closes: the timers stop and the light goes off. Calling it again is harmless.
  void Unload();
  // The start-up light, for a reader taken up after start-up: on for two seconds, unless a
  // display is already under way.
  void ShowStartupLight();
  // Told of every code as it is shown; null for none.
  void SetCodeListener(CodeListener* listener) { listener_ = listener; }

  // F12's key-down and key-up, from whichever source counts (see ui/form_input.h, which
  // filters the keys).
  void F12Down(bool isAutoRepeat, KeyTime time);
  void F12Up(bool isAutoRepeat, KeyTime time);

  // The code in progress cannot go on: its key source has gone or lost events (see CutCode in
  // reception/frame_watchdog.h).
  void CutCode(bool evenIfFull);
  // How the reader's presses come in, for the "Lettore" frame.
  void ShowLink(std::string toolTip) { controls_.ReaderToolTip = std::move(toolTip); }

  // The tick of `timer`, for hosts that tell their timers apart by id.
  void TimerTick(TimerId timer, Tick now);

  const Form1Controls& Controls() const { return controls_; }
  const PulseWindow& Window() const { return window_; }

 private:
  void Timer1Tick();
  void Timer2Tick();
  void Timer3Tick(Tick now);
  // Shows a decoded code's bits, value and diagnostics, then its verdict.
  void DecodeFrame(const CodeOutcome& outcome);
  void ShowSuccess();
  void ShowError(std::string_view message);
  void SetCountCaption(const std::string& caption) override;
  void SetIndicatorFill(FillStyle fill) override;
  void SetTimer(TimerId timer, bool enabled);
  // Shows what a step of capture ended, if anything, and reports it.
  void Show(const CodeEnd& end);
  void Report(const CodeOutcome& outcome);

  LockKeyPort& light_;
  KeyboardLister& keyboards_;
  FormPort& host_;
  PulseWindow window_;
  Form1Controls controls_;
  CodeListener* listener_ = nullptr;
  bool viewer_ = false;
};

}  // namespace varnel
