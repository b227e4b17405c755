#include "reception/frame_watchdog.h"

#include <gtest/gtest.h>

#include <climits>

namespace varnel {
namespace {

struct RecordingSink : WatchdogSink {
  std::vector<std::string> events;
  std::string count;
  void SetCountCaption(const std::string& caption) override { count = caption; }
  void SetIndicatorFill(FillStyle) override {}
  void DecodeFrame(const PulseArray& pulses) override {
    events.push_back("decode " + std::to_string(pulses[0]));
  }
  void ShowError(const std::string& message) override { events.push_back(message); }
};

TEST(FrameWatchdog, ActsOnlyAfterMoreThanTheQuietTime) {
  for (Tick release : {Tick{5'000}, Tick{INT_MAX - 300}, Tick{-300}}) {
    PulseWindow window;
    window.SlotIndex = kWindowFull;
    window.Pulses[0] = 42;
    window.LastRelease = release;
    RecordingSink sink;
    WatchdogTick(window, sink, TickAfter(release, 800));
    EXPECT_TRUE(sink.events.empty()) << release;
    WatchdogTick(window, sink, TickAfter(release, 801));
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
    EndCodeBeforePress(window, sink, TickAfter(release, 800));
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(window.SlotIndex, 3);
    EndCodeBeforePress(window, sink, TickAfter(release, 801));
    EXPECT_EQ(sink.events, std::vector<std::string>{"Timeout"});
    EXPECT_EQ(window.SlotIndex, kArmedSlot);
  }
}

TEST(FrameWatchdog, TimesOutCutCodesAndLeavesAnArmedWindowAlone) {
  for (std::int32_t slot = 0; slot <= kArmedSlot; ++slot) {
    PulseWindow window;
    window.SlotIndex = slot;
    RecordingSink sink;
    WatchdogTick(window, sink, 100'000);
    EXPECT_EQ(sink.events, slot == kArmedSlot ? std::vector<std::string>{}
                                              : std::vector<std::string>{"Timeout"});
    EXPECT_EQ(window.SlotIndex, kArmedSlot);
  }
}

}  // namespace
}  // namespace varnel
