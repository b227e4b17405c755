// The window's logic when the input system's event clock is not the program's own clock, and
// when the program is stalled while the reader goes on pressing.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "ui/simulated_loop.h"

namespace varnel {
namespace {

// Eight bits with even parity, first press first, and their value.
struct Code {
  std::vector<int> bits;
  int value = 0;
};
Code RandomGoodCode(std::mt19937& rng) {
  Code code;
  int ones = 0;
  for (int i = 0; i < 7; ++i) ones += code.bits.emplace_back(static_cast<int>(rng() % 2));
  code.bits.push_back(ones % 2);
  if (ones + code.bits.back() == 0 || ones + code.bits.back() == 8) {
    code.bits[0] = code.bits[7] = 1 - code.bits[0];  // equal holds carry no scale
  }
  for (int b : code.bits) code.value = code.value * 2 + b;
  return code;
}

TEST(Form1Clocks, HoldsComeFromEventTimesAndTheQuietTimeFromTheProgramsTicks) {
  // Program tick at time 0, event clock at time 0: offsets of hours and of about 2^31 ms, and
  // both clocks crossing the signed boundary and the 2^32 wrap during the run.
  const std::pair<Tick, Tick> starts[] = {
      {1'000'000, 1'000'000 + 5 * 3'600'000},
      {0, INT_MIN + 700},
      {INT_MAX - 20'000, -30'000},
      {-20'000, INT_MAX - 40'000},
  };
  std::mt19937 rng(11);
  for (auto [tick, event] : starts) {
    SimulatedLoop loop(tick, event);
    loop.Load();
    loop.Run(2500);
    for (int i = 0; i < 40; ++i) {
      // A new X server between codes: its clock starts anywhere.
      if (i == 25) loop.JumpEventClock(static_cast<Tick>(rng()));
      const Code code = RandomGoodCode(rng);
      const std::int32_t shortMs = 40 + static_cast<std::int32_t>(rng() % 100);
      loop.SendCode(code.bits, shortMs, shortMs + 25);
      const std::string before = loop.Screen().Valore.Caption;
      loop.lightChanges.clear();
      loop.RunUntil(loop.lastRelease + kQuietMs);
      ASSERT_TRUE(loop.lightChanges.empty()) << "decoded early, code " << i << " tick " << tick;
      loop.RunUntil(loop.lastRelease + kQuietMs + 100);
      ASSERT_EQ(loop.Screen().Valore.Caption, std::to_string(code.value))
          << "code " << i << " tick " << tick << " event " << event;
      ASSERT_EQ(loop.lightChanges.size(), 1u);
      EXPECT_GT(loop.lightChanges[0].first - loop.lastRelease, kQuietMs);
      loop.Run(2000);  // the display ends before the next code
    }
  }
}

// Key events stamped when they happened; those that fall in [stallFrom, stallTo) wait in the
// queue and are handled back to back when the stall ends.
struct KeyEvent {
  std::int64_t at;
  bool down;
};
std::vector<KeyEvent> Presses(const std::vector<int>& bits, std::int64_t from) {
  std::vector<KeyEvent> events;
  for (int b : bits) {
    events.push_back({from, true});
    from += b ? 300 : 100;
    events.push_back({from, false});
    from += 60;
  }
  return events;
}

void PlayWithStall(SimulatedLoop& loop, const std::vector<KeyEvent>& events, std::int64_t stallFrom,
                   std::int64_t stallTo, bool timersFirst) {
  std::vector<KeyEvent> queued;
  const auto deliver = [&](const KeyEvent& e) {
    e.down ? loop.F12Down(false, e.at) : loop.F12Up(false, e.at);
  };
  const auto endStall = [&] {
    loop.RunUntil(stallFrom);
    loop.Stall(stallTo - stallFrom);
    if (timersFirst) loop.RunUntil(stallTo);
    for (const KeyEvent& e : queued) deliver(e);
    queued.clear();
    stallFrom = stallTo = LLONG_MAX;
  };
  for (const KeyEvent& e : events) {
    if (e.at >= stallFrom && e.at < stallTo) {
      queued.push_back(e);
      continue;
    }
    if (e.at >= stallTo) endStall();
    loop.RunUntil(e.at);
    deliver(e);
  }
  if (stallTo != LLONG_MAX) endStall();
}

TEST(Form1Clocks, AStalledProgramShowsTheCodeThatWasSentOrATimeoutNeverAnother) {
  const std::vector<int> good165{1, 0, 1, 0, 0, 1, 0, 1};
  for (std::int64_t stallMs : {500, 1200}) {
    for (std::int64_t stallAt : {150, 700, 1300}) {  // in a hold, between presses, late
      for (bool timersFirst : {false, true}) {
        SimulatedLoop loop;
        loop.Load();
        loop.Run(2500);
        const std::int64_t start = loop.Now();
        PlayWithStall(loop, Presses(good165, start), start + stallAt, start + stallAt + stallMs,
                      timersFirst);
        loop.RunUntil(loop.lastRelease + 1000);
        const std::string shown = loop.Screen().Valore.Caption;
        const bool timedOut = loop.Screen().lblErr.Caption == kTimeoutMessage;
        SCOPED_TRACE(testing::Message() << "stall " << stallMs << " at " << stallAt
                                        << (timersFirst ? ", timers first" : ""));
        if (stallMs < kQuietMs) {
          EXPECT_EQ(shown, "165");
          EXPECT_FALSE(timedOut);
          EXPECT_TRUE(loop.LightOn());
          EXPECT_EQ(loop.Screen().lblErr.Visible, false) << "the light must be steady";
        } else {
          EXPECT_TRUE(shown == "165" || (shown == "0" && timedOut)) << shown;
        }
      }
    }
  }
}

TEST(Form1Clocks, TwoCodesQueuedDuringOneStallAreBothDecoded) {
  SimulatedLoop loop;
  loop.Load();
  loop.Run(2500);
  const std::int64_t start = loop.Now();
  std::vector<KeyEvent> events = Presses({1, 0, 1, 0, 0, 1, 0, 1}, start);  // 165
  const std::vector<KeyEvent> second =
      Presses({0, 1, 1, 0, 0, 0, 1, 1}, events.back().at + 1000);  // 99
  events.insert(events.end(), second.begin(), second.end());
  loop.Stall(second.back().at + 10 - start);
  std::vector<std::string> shown;
  for (const KeyEvent& e : events) {
    e.down ? loop.F12Down(false, e.at) : loop.F12Up(false, e.at);
    if (shown.empty() || shown.back() != loop.Screen().Valore.Caption) {
      shown.push_back(loop.Screen().Valore.Caption);
    }
  }
  loop.Run(1000);
  shown.push_back(loop.Screen().Valore.Caption);
  EXPECT_EQ(shown, (std::vector<std::string>{"0", "165", "99"}));
  EXPECT_TRUE(loop.LightOn());
}

}  // namespace
}  // namespace varnel
