#include "ui/form_input.h"

#include "ui/link_tooltip.h"

namespace varnel {

FormInput::FormInput(Form1& form, FormPort& port, Repeats repeats)
    : form_(form), port_(port), repeats_(repeats) {
  form_.SetCodeListener(this);
}

void FormInput::WindowKey(std::int16_t keyCode, bool down, bool isAutoRepeat, KeyTime time) {
  now_ = time.handled;
  if (keyCode != kKeyF12) return;  // the logic ignores every other key
  if (!isAutoRepeat) {
    const WindowPress press = windowPress_;
    windowPress_ =
        down ? (status_.direct ? WindowPress::Ignored : WindowPress::Counted) : WindowPress::None;
    if (!down && press == WindowPress::Ignored) return;
  }
  if (status_.direct) return;
  if (repeats_ == Repeats::Flagged) return Deliver({down, isAutoRepeat, time});
  const RepeatPair::Step step = pair_.Take({down, isAutoRepeat, time});
  for (const F12Event& event : step.deliver) Deliver(event);
  // Any event stops the wait; a release held back starts it anew.
  port_.SetTimerEnabled(TimerId::RepeatPair, step.waiting);
}

void FormInput::ReaderF12(bool down, KeyTime time) {
  now_ = time.handled;
  ReleaseHeldBack();
  Deliver({down, false, time});
}

void FormInput::CutCode(bool evenIfFull) {
  ReleaseHeldBack();
  form_.CutCode(evenIfFull);
}

void FormInput::LinkChanged(const LinkStatus& status) {
  ReleaseHeldBack();
  const bool wasDirect = status_.direct;
  status_ = status;
  if (guarded_) guarded_->MoveTo(LightPlace(status));
  form_.ShowLink(LinkTooltip(status));
  if (greet_ && status.direct && !wasDirect) form_.ShowStartupLight();
  outlet_.LinkNow(status.direct);
}

void FormInput::Unload() {
  outlet_.Abandon();
  form_.Unload();
}

void FormInput::TimerTick(TimerId timer, Tick now) {
  now_ = now;
  if (timer == TimerId::TypeWait) return port_.SetTimerEnabled(timer, outlet_.Poll(now));
  ReleaseHeldBack();
  // The input's wait fires once: the form's timers are periodic.
  if (timer == TimerId::RepeatPair) return port_.SetTimerEnabled(timer, false);
  form_.TimerTick(timer, now);
}

void FormInput::CodeDecided(const CodeOutcome& outcome) {
  const bool waiting = outlet_.Decided(outcome, status_, now_);
  if (outlet_.Types()) port_.SetTimerEnabled(TimerId::TypeWait, waiting);
}

void FormInput::ReleaseHeldBack() {
  if (!pair_.Waiting()) return;
  port_.SetTimerEnabled(TimerId::RepeatPair, false);
  if (const auto release = pair_.Release()) Deliver(*release);
}

void FormInput::Deliver(const F12Event& event) {
  if (event.down) {
    form_.F12Down(event.isAutoRepeat, event.time);
  } else {
    form_.F12Up(event.isAutoRepeat, event.time);
  }
}

}  // namespace varnel
