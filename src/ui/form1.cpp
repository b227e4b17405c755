#include "ui/form1.h"

#include "light/lock_light.h"
#include "ui/fill_captions.h"

namespace varnel {

void Form1::Load() {
  if (!modReader::IsReaderConnected(keyboards_, ReaderIdentity())) {
    host_.ShowWarning(kReaderMissingMessage, kAppTitle);
  }
  ShowStartupLight();
  ArmCapture(window_, *this);
  SetTimer(TimerId::Timer3, true);
  host_.SetOuterWidth(kRunningOuterWidthTwips);
}

void Form1::LoadAsViewer() {
  viewer_ = true;
  host_.SetOuterWidth(kRunningOuterWidthTwips);
}

void Form1::ShowFollowed(const CodeOutcome& outcome) {
  if (outcome.verdict == CodeOutcome::Verdict::Timeout) return ShowError(kTimeoutMessage);
  DecodeFrame(outcome);
}

void Form1::Unload() {
  // No pending blink or display end may relight the light before the program is gone.
  for (TimerId timer : kTimers) SetTimer(timer, false);
  modLight::SetLockKey(light_, kVkScrollLock, modLight::kLockOff);
}

void Form1::ShowStartupLight() {
  if (controls_.Enabled(TimerId::Timer1)) return;
  modLight::SetLockKey(light_, kVkScrollLock, modLight::kLockOn);
  SetTimer(TimerId::Timer1, true);
}

void Form1::F12Down(bool isAutoRepeat, KeyTime time) {
  // The followed Varnel has the reader; an F12 here is a person's.
  if (viewer_) return;
  if (!isAutoRepeat) Show(EndCodeBeforePress(window_, *this, time.event));
  PulseStart(window_, *this, time.event, isAutoRepeat);
}

void Form1::F12Up(bool isAutoRepeat, KeyTime time) {
  if (viewer_) return;
  // Some platforms report a held key as release/press pairs: those releases do not end the hold.
  if (!isAutoRepeat) PulseEnd(window_, *this, time.event, time.handled);
}

void Form1::CutCode(bool evenIfFull) { Show(varnel::CutCode(window_, *this, evenIfFull)); }

void Form1::Timer1Tick() {
  SetTimer(TimerId::Timer1, false);
  SetTimer(TimerId::Timer2, false);
  controls_.lblErr.Visible = false;
  modLight::SetLockKey(light_, kVkScrollLock, modLight::kLockOff);
  controls_.Valore.BackColor = kColorButtonFace;
}

void Form1::Timer2Tick() { modLight::SetLockKey(light_, kVkScrollLock, modLight::kLockToggle); }

void Form1::Timer3Tick(Tick now) { Show(WatchdogTick(window_, *this, now)); }

void Form1::TimerTick(TimerId timer, Tick now) {
  switch (timer) {
    case TimerId::Timer1:
      Timer1Tick();
      break;
    case TimerId::Timer2:
      Timer2Tick();
      break;
    case TimerId::Timer3:
      Timer3Tick(now);
      break;
    case TimerId::RepeatPair:
    case TimerId::TypeWait:
      break;  // the input's own
  }
}

void Form1::Show(const CodeEnd& end) {
  if (!end) return;
  if (end->verdict != CodeOutcome::Verdict::Timeout) return DecodeFrame(*end);
  Report(*end);
  ShowError(kTimeoutMessage);
}

void Form1::Report(const CodeOutcome& outcome) {
  if (listener_ && !viewer_) listener_->CodeDecided(outcome);
}

void Form1::DecodeFrame(const CodeOutcome& outcome) {
  // The outcome lists the first press first; Bit[0] shows the last.
  PulseArray bits{};
  for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = outcome.bits[bits.size() - 1 - i] == '1';
  modStd::FillCaptions<Label>(bits, controls_.Bit);
  controls_.Valore.Caption = std::to_string(*outcome.value);
  // How each hold was read, for a technician watching a reader drift towards wrong bits.
  for (std::size_t i = 0; i < bits.size(); ++i) {
    controls_.Bit[i].ToolTip = "Pressione " + std::to_string(outcome.holdsMs[bits.size() - 1 - i]) +
                               " ms, soglia " + std::to_string(*outcome.thresholdMs) + " ms";
  }
  controls_.Valore.ToolTip = "Margine " + std::to_string(*outcome.marginMs) + " ms";
  Report(outcome);
  if (outcome.verdict == CodeOutcome::Verdict::Good) {
    ShowSuccess();
  } else {
    ShowError(kParityMessage);
  }
}

void Form1::ShowSuccess() {
  controls_.Valore.BackColor = kColorGreen;
  modLight::SetLockKey(light_, kVkScrollLock, modLight::kLockOn);
  SetTimer(TimerId::Timer1, true);
}

void Form1::ShowError(std::string_view message) {
  controls_.lblErr.Caption = std::string(message);
  controls_.lblErr.Visible = true;
  SetTimer(TimerId::Timer2, true);
  SetTimer(TimerId::Timer1, true);
}

void Form1::SetCountCaption(const std::string& caption) { controls_.lblCnt.Caption = caption; }

void Form1::SetIndicatorFill(FillStyle fill) { controls_.Sh1FillStyle = fill; }

void Form1::SetTimer(TimerId timer, bool enabled) {
  controls_.TimerEnabled[static_cast<std::size_t>(timer)] = enabled;
  host_.SetTimerEnabled(timer, enabled);
}

}  // namespace varnel
