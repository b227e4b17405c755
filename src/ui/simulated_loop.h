// A simulated event loop for tests: a millisecond clock, the window's timers firing in due order,
// key events at chosen times through the one way in, and the light on a fake port. Hours of a
// reader's traffic run in milliseconds, and every step can be checked.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "light/fake_lock_key_port.h"
#include "ui/form1.h"
#include "ui/form_input.h"

namespace varnel {

class SimulatedLoop : public FormPort {
 public:
  // `startTick` is what the tick counter reads at simulated time 0, `eventStart` what the input
  // system's event clock reads then (by default the same).
  explicit SimulatedLoop(Tick startTick = 1'000'000) : SimulatedLoop(startTick, startTick) {}
  SimulatedLoop(Tick startTick, Tick eventStart) : startTick_(startTick), eventStart_(eventStart) {}
  // The window's releases and presses as X reports them through Qt, paired by the input.
  explicit SimulatedLoop(FormInput::Repeats repeats)
      : repeats_(repeats), startTick_(1'000'000), eventStart_(1'000'000) {}
  // The logic drives `port` instead of the fake light, and `lightOn` tells where it shows.
  SimulatedLoop(Tick startTick, LockKeyPort& port, std::function<bool()> lightOn)
      : lightOn_(std::move(lightOn)), port_(port), startTick_(startTick), eventStart_(startTick) {}

  void SetTimerEnabled(TimerId timer, bool enabled) override {
    due_[Index(timer)] = enabled ? std::optional(now_ + TimerInterval(timer)) : std::nullopt;
  }
  void ShowWarning(const std::string& text, const std::string& title) override {
    warnings.push_back(title + ": " + text);
  }
  void SetOuterWidth(std::int32_t twips) override { outerWidthTwips = twips; }

  void Load() {
    form.Load();
    RecordLight();
  }

  // Fires every timer that falls due up to and including `until`, earliest first; of timers due
  // at the same moment, the lower-numbered first. After each tick, `afterEvent` runs.
  template <typename Check = void (*)()>
  void RunUntil(
      std::int64_t until, Check afterEvent = [] {}) {
    while (auto next = NextDue(until)) {
      now_ = std::max(now_, *due_[*next]);  // a timer overdue after a stall fires late, once
      due_[*next] = now_ + TimerInterval(kTimers[*next]);  // periodic until its handler stops it
      input.TimerTick(kTimers[*next], TickCount());
      RecordLight();
      afterEvent();
    }
    now_ = until;
  }
  void Run(std::int64_t ms) { RunUntil(now_ + ms); }
  // The program is stopped for `ms`: time passes, nothing is handled, timers fall overdue.
  void Stall(std::int64_t ms) { now_ += ms; }

  // F12 events as the input system stamped them at `happenedAt` (by default now), handled now:
  // an earlier time is an event that waited in the queue while the program was stalled.
  void F12Down(bool isAutoRepeat = false, std::optional<std::int64_t> happenedAt = {}) {
    if (pressesFromReader) {
      input.ReaderF12(true, At(happenedAt));
    } else {
      input.WindowKey(kKeyF12, true, isAutoRepeat, At(happenedAt));
    }
    RecordLight();
  }
  void F12Up(bool isAutoRepeat = false, std::optional<std::int64_t> happenedAt = {}) {
    if (pressesFromReader) {
      input.ReaderF12(false, At(happenedAt));
    } else {
      input.WindowKey(kKeyF12, false, isAutoRepeat, At(happenedAt));
    }
    if (!isAutoRepeat) lastRelease = now_;
    RecordLight();
  }
  KeyTime At(std::optional<std::int64_t> happenedAt = {}) const {
    return {EventTickAt(happenedAt.value_or(now_)), TickCount()};
  }
  // Presses F12 for `holdMs`, then lets `gapMs` pass.
  void Press(std::int32_t holdMs, std::int32_t gapMs = 60) {
    F12Down();
    Run(holdMs);
    F12Up();
    Run(gapMs);
  }
  // A code as a reader sends it: `bits[0]` first, as long (1) or short (0) holds.
  void SendCode(const std::vector<int>& bits, std::int32_t shortMs = 100,
                std::int32_t longMs = 300) {
    for (int bit : bits) Press(bit ? longMs : shortMs);
  }

  std::int64_t Now() const { return now_; }
  bool Running(TimerId timer) const { return due_[Index(timer)].has_value(); }
  // Makes the tick counter read `tick` now: the counter jumps, time goes on as before.
  void JumpTick(varnel::Tick tick) {
    startTick_ = static_cast<varnel::Tick>(static_cast<std::uint32_t>(tick) -
                                           static_cast<std::uint32_t>(now_));
  }
  varnel::Tick TickCount() const { return TickAfter(startTick_, static_cast<std::int32_t>(now_)); }
  // Makes the event clock read `tick` now, as a new X server would.
  void JumpEventClock(varnel::Tick tick) {
    eventStart_ = static_cast<varnel::Tick>(static_cast<std::uint32_t>(tick) -
                                            static_cast<std::uint32_t>(now_));
  }
  varnel::Tick EventTickAt(std::int64_t at) const {
    return TickAfter(eventStart_, static_cast<std::int32_t>(at));
  }
  bool LightOn() { return lightOn_(); }
  const Form1Controls& Screen() const { return form.Controls(); }

  // The presses come from a reader heard without the focus, not from the window's keys.
  bool pressesFromReader = false;
  FakeLockKeyPort light;
  struct : KeyboardLister {
    std::optional<KeyboardIds> KeyboardDeviceIds() override { return ids; }
    std::optional<KeyboardIds> ids = KeyboardIds{};
  } keyboards;

 private:
  std::function<bool()> lightOn_ = [this] { return light.IsOn(); };
  LockKeyPort& port_ = light;
  FormInput::Repeats repeats_ = FormInput::Repeats::Flagged;

 public:
  Form1 form{port_, keyboards, *this};
  FormInput input{form, *this, repeats_};
  std::vector<std::string> warnings;
  std::int64_t lastRelease = 0;
  std::int32_t outerWidthTwips = 0;
  // Every change of the light: when, and to what.
  std::vector<std::pair<std::int64_t, bool>> lightChanges;

 private:
  static std::size_t Index(TimerId timer) { return static_cast<std::size_t>(timer); }

  std::optional<std::size_t> NextDue(std::int64_t until) const {
    std::optional<std::size_t> next;
    for (std::size_t i = 0; i < due_.size(); ++i) {
      if (due_[i] && *due_[i] <= until && (!next || *due_[i] < *due_[*next])) next = i;
    }
    return next;
  }

  void RecordLight() {
    const bool on = LightOn();
    if (lightChanges.empty() ? on : lightChanges.back().second != on) {
      lightChanges.emplace_back(now_, on);
    }
  }

  varnel::Tick startTick_;
  varnel::Tick eventStart_;
  std::int64_t now_ = 0;
  std::array<std::optional<std::int64_t>, kTimers.size()> due_{};
};

}  // namespace varnel
