// The one way in to the window's logic: whatever hears F12 (the window's own key events, the
// reader heard without the focus) hands its stamped presses and releases here, and the timers'
// ticks come here too. It decides which source counts now, from the link's state that it alone
// keeps; pairs the window's releases with the presses that make them auto-repeats; and hands the
// rest to Form1. Each code that Form1 decides is handed on to the outlet, stamped with the link
// it came through and the time it was decided.
#pragma once

#include <cstdint>

#include "light/guarded_light.h"
#include "link/reader_link.h"
#include "output/code_outlet.h"
#include "ui/code_listener.h"
#include "ui/form1.h"
#include "ui/repeat_pair.h"

namespace varnel {

class FormInput final : public LinkListener, private CodeListener {
 public:
  // Whether the window system flags every auto-repeat itself (Windows), or may report one as a
  // release and a press that share a time (X through Qt), which are then paired here.
  enum class Repeats { Flagged, Unflagged };
  FormInput(Form1& form, FormPort& port, Repeats repeats = Repeats::Flagged);
  FormInput(const FormInput&) = delete;
  FormInput& operator=(const FormInput&) = delete;

  // A key event of the window, whichever control has the focus, by its Windows key code. Only
  // F12 counts, and only while no reader is heard without the focus: then the reader's own
  // presses are counted from the link, once.
  void WindowKey(std::int16_t keyCode, bool down, bool isAutoRepeat, KeyTime time);
  void ReaderF12(bool down, KeyTime time) override;
  void CutCode(bool evenIfFull) override;
  void LinkChanged(const LinkStatus& status) override;
  // The window closes or the program ends: the outlet lets go of what still waits, then the form
  // unloads. Calling it again is harmless.
  void Unload();
  // Every timer's tick, the form's and the input's own.
  void TimerTick(TimerId timer, Tick now);

  // Where each decided code goes out: its record and typing.
  CodeOutlet& Outlet() { return outlet_; }
  // The light the form drives, if a guardian watches it: told where the light shows as the link
  // comes and goes.
  void SetGuardedLight(GuardedLight* guarded) { guarded_ = guarded; }
  // Without a window nobody sees the program start, so each time a reader is taken up where
  // there was none, its light shows for two seconds as it does at start-up.
  void GreetEachReader() { greet_ = true; }

  const LinkStatus& Link() const { return status_; }

 private:
  enum class WindowPress { None, Counted, Ignored };
  void CodeDecided(const CodeOutcome& outcome) override;
  // Hands the form a release held back, before anything else reaches it.
  void ReleaseHeldBack();
  void Deliver(const F12Event& event);

  Form1& form_;
  FormPort& port_;
  Repeats repeats_;
  RepeatPair pair_;
  LinkStatus status_;
  // The window's last F12 press that has not been released: a release whose press was ignored
  // (made while the link was up) is no end of a hold once the window's keys count again.
  WindowPress windowPress_ = WindowPress::None;
  GuardedLight* guarded_ = nullptr;
  bool greet_ = false;
  CodeOutlet outlet_;
  // The tick of the event or timer being handled: when a code it ends is decided.
  Tick now_ = 0;
};

}  // namespace varnel
