#include "reception/frame_watchdog.h"

#include <gtest/gtest.h>

#include <climits>

namespace varnel {
namespace {

struct RecordingSink : CaptureView {
  std::vector<std::string> events;
  std::string count;
  FillStyle fill = FillStyle::Solid;
  void SetCountCaption(const std::string& caption) override { count = caption; }
  void SetIndicatorFill(FillStyle style) override { fill = style; }
  // What a step ended, by its last hold for a decoded code.
  void Take(const CodeEnd& end) {
    if (!end) return;
    if (end->verdict == CodeOutcome::Verdict::Timeout) {
      events.push_back("Timeout");
    } else {
      events.push_back("decode " + std::to_string(end->holdsMs.back()));
    }
  }
};

TEST(FrameWatchdog, ActsOnlyAfterMoreThanTheQuietTime) {
  for (Tick release : {Tick{5'000}, Tick{INT_MAX - 300}, Tick{-300}}) {
    PulseWindow window;
    window.SlotIndex = kWindowFull;
    window.Pulses[0] = 42;
    window.LastRelease = release;
    RecordingSink sink;
    sink.Take(WatchdogTick(window, sink, TickAfter(release, 800)));
    EXPECT_TRUE(sink.events.empty()) << release;
    sink.Take(WatchdogTick(window, sink, TickAfter(release, 801)));
    EXPECT_EQ(sink.events, std::vector<std::string>{"decode 42"}) << release;
    EXPECT_EQ(window.SlotIndex, kArmedSlot);
    EXPECT_EQ(sink.count, "8");
    EXPECT_EQ(window.Pulses[0], 42) << "the slots are not cleared";
  }
}

TEST(FrameWatchdog, APressAfterMoreThanTheQuietTimeByTheEventClockEndsTheCodeBeforeIt) {
  for (Tick release : {Tick{5'000}, Tick{INT_MAX - 300}}) {
    PulseWindow window;
    window.SlotIndex = 3;
    window.LastRelease = 0;  // the program's own clock plays no part here
    window.LastReleaseEvent = release;
    RecordingSink sink;
    sink.Take(EndCodeBeforePress(window, sink, TickAfter(release, 800)));
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(window.SlotIndex, 3);
    sink.Take(EndCodeBeforePress(window, sink, TickAfter(release, 801)));
    EXPECT_EQ(sink.events, std::vector<std::string>{"Timeout"});
    EXPECT_EQ(window.SlotIndex, kArmedSlot);
  }
}

TEST(FrameWatchdog, TimesOutCutCodesAndLeavesAnArmedWindowAlone) {
  for (std::int32_t slot = 0; slot <= kArmedSlot; ++slot) {
    PulseWindow window;
    window.SlotIndex = slot;
    RecordingSink sink;
    sink.Take(WatchdogTick(window, sink, 100'000));
    EXPECT_EQ(sink.events, slot == kArmedSlot ? std::vector<std::string>{}
                                              : std::vector<std::string>{"Timeout"});
    EXPECT_EQ(window.SlotIndex, kArmedSlot);
  }
}

TEST(FrameWatchdog, CutEndsACodeInProgressButNotACompleteOne) {
  struct Case {
    std::int32_t slot;
    bool held, evenIfFull;
    bool timeout;
  };
  for (const Case c :
       {Case{kArmedSlot, false, true, false}, Case{kArmedSlot, true, false, true},
        Case{3, false, false, true}, Case{0, true, false, true},
        Case{kWindowFull, false, false, false}, Case{kWindowFull, false, true, true}}) {
    PulseWindow window;
    window.SlotIndex = c.slot;
    window.Held = c.held;
    RecordingSink sink;
    sink.Take(CutCode(window, sink, c.evenIfFull));
    const std::string what = std::to_string(c.slot) + (c.held ? " held" : "");
    EXPECT_EQ(sink.events,
              c.timeout ? std::vector<std::string>{"Timeout"} : std::vector<std::string>{})
        << what;
    EXPECT_EQ(window.SlotIndex, c.timeout ? kArmedSlot : c.slot) << what;
    EXPECT_FALSE(window.Held) << what;
    if (c.held) {
      EXPECT_EQ(sink.fill, FillStyle::Transparent) << "the lamp goes dark: " << what;
    }
  }
}

}  // namespace
}  // namespace varnel
