#include "ui/form1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>

#include "ui/form1_invariants.h"
#include "ui/form1_layout.h"
#include "ui/form1_state.h"
#include "ui/simulated_loop.h"

namespace varnel {
namespace {

using Bits = std::vector<int>;
using LightChanges = std::vector<std::pair<std::int64_t, bool>>;

const Bits kGood165{1, 0, 1, 0, 0, 1, 0, 1};  // first press first: 0b10100101, four ones
const Bits kBad164{1, 0, 1, 0, 0, 1, 0, 0};   // three ones

std::vector<std::string> BitCaptions(const Form1Controls& screen) {
  std::vector<std::string> captions;  // Bit(7), the first press, first: as the row reads
  for (std::size_t i = screen.Bit.size(); i-- > 0;) captions.push_back(screen.Bit[i].Caption);
  return captions;
}

// A window that has been loaded and whose two-second start-up light has run out.
class Form1Timeline : public ::testing::TestWithParam<Tick> {
 protected:
  Form1Timeline() : loop(GetParam()) {}
  void SetUp() override {
    loop.Load();
    loop.Run(2000);
    ASSERT_FALSE(loop.LightOn());
    loop.lightChanges.clear();
  }

  // The light changes since the last release, timed from that release.
  LightChanges LightSinceRelease() const {
    LightChanges changes;
    for (auto [t, on] : loop.lightChanges) {
      if (t >= loop.lastRelease) changes.emplace_back(t - loop.lastRelease, on);
    }
    return changes;
  }

  // Runs to the first watchdog tick that finds the code quiet; returns that moment.
  std::int64_t RunToDecode() {
    const std::int64_t decodeAt = (loop.lastRelease + kQuietMs) / 100 * 100 + 100;
    loop.RunUntil(decodeAt);
    return decodeAt;
  }

  // Two codes, the second decoded while the first is still shown (short holds make that
  // possible); returns when the second was decoded.
  std::int64_t SecondCodeDuringTheFirstsDisplay(const Bits& first, const Bits& second) {
    loop.SendCode(first, 30, 90);
    const std::int64_t firstAt = RunToDecode();
    loop.SendCode(second, 30, 90);
    const std::int64_t secondAt = RunToDecode();
    EXPECT_LT(secondAt - firstAt, 2000);
    return secondAt;
  }

  // At `end` the display is over: text hidden, blinking stopped, colour back, light off.
  void ExpectDisplayEndsAt(std::int64_t end) {
    loop.RunUntil(end);
    const Form1Controls& screen = loop.Screen();
    EXPECT_FALSE(screen.lblErr.Visible);
    EXPECT_FALSE(screen.Enabled(TimerId::Timer2));
    EXPECT_EQ(screen.Valore.BackColor, kColorButtonFace);
    EXPECT_FALSE(loop.LightOn());
  }

  SimulatedLoop loop;
};

// The tick counter's start is a parameter: also across its signed boundary and its wrap.
INSTANTIATE_TEST_SUITE_P(TickStarts, Form1Timeline,
                         ::testing::Values(Tick{1'000'000}, Tick{INT_MAX - 4'000}, Tick{-4'000}));

TEST_P(Form1Timeline, GoodCodeShowsGreenWithLightOnForTwoSeconds) {
  loop.SendCode(kGood165);
  const std::int64_t decodedAt = RunToDecode();
  const Form1Controls& screen = loop.Screen();
  EXPECT_EQ(BitCaptions(screen),
            (std::vector<std::string>{"1", "0", "1", "0", "0", "1", "0", "1"}));
  EXPECT_EQ(screen.Valore.Caption, "165");
  EXPECT_EQ(screen.Valore.BackColor, kColorGreen);
  EXPECT_FALSE(screen.lblErr.Visible);
  EXPECT_EQ(screen.lblCnt.Caption, "8");
  EXPECT_TRUE(loop.LightOn());

  loop.RunUntil(decodedAt + 1999);
  EXPECT_TRUE(loop.LightOn());
  EXPECT_EQ(screen.Valore.BackColor, kColorGreen);

  loop.RunUntil(decodedAt + 2000);
  EXPECT_FALSE(loop.LightOn());
  EXPECT_EQ(screen.Valore.BackColor, kColorButtonFace);
  EXPECT_EQ(screen.Valore.Caption, "165");
  EXPECT_EQ(BitCaptions(screen)[0], "1");
  EXPECT_FALSE(screen.Enabled(TimerId::Timer1));

  const std::int64_t answer = decodedAt - loop.lastRelease;
  EXPECT_GT(answer, 800);
  EXPECT_LE(answer, 900);
  EXPECT_EQ(LightSinceRelease(), (LightChanges{{answer, true}, {answer + 2000, false}}));
}

TEST_P(Form1Timeline, BadParityShowsItsValueAndBlinksForTwoSeconds) {
  loop.SendCode(kBad164);
  const std::int64_t decodedAt = RunToDecode();
  const Form1Controls& screen = loop.Screen();
  EXPECT_EQ(screen.Valore.Caption, "164");
  EXPECT_EQ(screen.Valore.BackColor, kColorButtonFace);
  EXPECT_TRUE(screen.lblErr.Visible);
  EXPECT_EQ(screen.lblErr.Caption, "Parità");

  loop.RunUntil(decodedAt + 2000);
  EXPECT_FALSE(screen.lblErr.Visible);
  EXPECT_FALSE(screen.Enabled(TimerId::Timer2));
  EXPECT_EQ(screen.Valore.Caption, "164");

  // Nine toggles 200 ms apart leave the light on; the end of the display turns it off.
  LightChanges expected;
  const std::int64_t answer = decodedAt - loop.lastRelease;
  for (int k = 1; k <= 9; ++k) expected.emplace_back(answer + 200 * k, k % 2 == 1);
  expected.emplace_back(answer + 2000, false);
  EXPECT_EQ(LightSinceRelease(), expected);
  loop.Run(5000);
  EXPECT_EQ(LightSinceRelease(), expected) << "nothing after the display";
}

TEST_P(Form1Timeline, CutCodesTimeOutAndRearm) {
  for (int presses : {7, 1}) {
    const std::string valueBefore = loop.Screen().Valore.Caption;
    for (int i = 0; i < presses; ++i) loop.Press(300);
    EXPECT_EQ(loop.Screen().lblCnt.Caption, std::to_string(8 - presses));
    const std::int64_t shownAt = RunToDecode();
    const Form1Controls& screen = loop.Screen();
    EXPECT_TRUE(screen.lblErr.Visible) << presses;
    EXPECT_EQ(screen.lblErr.Caption, "Timeout");
    EXPECT_EQ(screen.lblCnt.Caption, "8");
    EXPECT_EQ(loop.form.Window().SlotIndex, kArmedSlot);
    EXPECT_EQ(screen.Valore.Caption, valueBefore) << "a cut code shows no value";
    loop.RunUntil(shownAt + 2000);
    EXPECT_FALSE(screen.lblErr.Visible);
    EXPECT_FALSE(loop.LightOn());
  }
}

TEST_P(Form1Timeline, QuietMeansMoreThan800Ms) {
  // Releases placed on a watchdog tick's boundary: that tick sees exactly 800 ms, then 801.
  for (std::int64_t offset : {0, 1}) {
    // Eight presses 300 ms apart, the last (a 1) held 200 ms, ending at `base - offset`.
    const std::int64_t base = loop.Now() + 10'000 - loop.Now() % 100;
    loop.RunUntil(base - offset - 7 * 300 - 200);
    for (int bit : kGood165) {
      const std::int32_t hold = bit ? 200 : 100;
      loop.F12Down();
      loop.Run(hold);
      loop.F12Up();
      if (loop.Now() < base - offset) loop.Run(300 - hold);
    }
    ASSERT_EQ(loop.lastRelease, base - offset);
    loop.RunUntil(base + 800);
    EXPECT_EQ(loop.Screen().Valore.Caption == "165", offset == 1) << "offset " << offset;
    loop.RunUntil(base + 900);
    EXPECT_EQ(loop.Screen().Valore.Caption, "165");
    EXPECT_EQ(loop.Screen().lblCnt.Caption, "8");
    loop.Run(2500);
    loop.SendCode({0, 0, 0, 0, 0, 0, 1, 1});  // value 3, to tell the next round's decode apart
    loop.Run(3000);
  }
}

TEST_P(Form1Timeline, TenQuickPressesDecodeOnceThePressesThreeToTen) {
  // Presses 1 to 8 would be a bad code (41); presses 3 to 10 are the good 165.
  Bits presses{0, 0};
  presses.insert(presses.end(), kGood165.begin(), kGood165.end());
  bool errorSeen = false;
  loop.SendCode(presses);
  loop.RunUntil(loop.Now() + 4000, [&] { errorSeen |= loop.Screen().lblErr.Visible; });
  EXPECT_FALSE(errorSeen);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165");
  const LightChanges changes = LightSinceRelease();
  ASSERT_EQ(changes.size(), 2u) << "one display of one decode";
  EXPECT_EQ(changes[1].first - changes[0].first, 2000);
}

TEST_P(Form1Timeline, NinthPressHeldThroughTheQuietTimeGivesTwoTimeouts) {
  // A timeout re-arms capture: the count returns to "8" with "Timeout" shown.
  std::vector<std::int64_t> timeouts;
  std::string count = loop.Screen().lblCnt.Caption;
  const auto watch = [&] {
    const Form1Controls& screen = loop.Screen();
    if (screen.lblCnt.Caption == "8" && count != "8" && screen.lblErr.Caption == "Timeout") {
      timeouts.push_back(loop.Now());
    }
    count = screen.lblCnt.Caption;
  };
  loop.SendCode(kGood165);
  loop.F12Down();
  loop.RunUntil(loop.Now() + 1500, watch);
  EXPECT_EQ(loop.Screen().lblErr.Caption, "Timeout");
  EXPECT_EQ(loop.Screen().Valore.Caption, "0") << "the eight-press code is not decoded";
  loop.F12Up();
  EXPECT_EQ(loop.form.Window().SlotIndex, 6);
  EXPECT_EQ(loop.Screen().lblCnt.Caption, "7");
  count = "7";
  loop.RunUntil(loop.Now() + 900, watch);
  ASSERT_EQ(timeouts.size(), 2u);
  EXPECT_EQ(loop.Screen().lblCnt.Caption, "8");
  // The second timeout restarts the display: it ends two seconds after it.
  loop.RunUntil(timeouts[1] + 1999);
  EXPECT_TRUE(loop.Screen().lblErr.Visible);
  loop.RunUntil(timeouts[1] + 2000);
  EXPECT_FALSE(loop.Screen().lblErr.Visible);
  EXPECT_FALSE(loop.LightOn());
}

TEST_P(Form1Timeline, GoodCodeDuringAnErrorDisplayKeepsTheErrorUntilTheEnd) {
  const std::int64_t goodAt = SecondCodeDuringTheFirstsDisplay(kBad164, kGood165);
  const Form1Controls& screen = loop.Screen();
  EXPECT_EQ(screen.Valore.Caption, "165");
  EXPECT_EQ(screen.Valore.BackColor, kColorGreen);
  EXPECT_TRUE(screen.lblErr.Visible);
  EXPECT_EQ(screen.lblErr.Caption, "Parità");
  EXPECT_TRUE(screen.Enabled(TimerId::Timer2));

  const std::size_t changesBefore = loop.lightChanges.size();
  loop.RunUntil(goodAt + 1999);
  EXPECT_GE(loop.lightChanges.size(), changesBefore + 8) << "still blinking";
  EXPECT_TRUE(screen.lblErr.Visible);
  ExpectDisplayEndsAt(goodAt + 2000);
}

TEST_P(Form1Timeline, ErrorDuringASuccessDisplayStaysGreenUntilTheEnd) {
  const std::int64_t badAt = SecondCodeDuringTheFirstsDisplay(kGood165, kBad164);
  const Form1Controls& screen = loop.Screen();
  EXPECT_EQ(screen.Valore.Caption, "164");
  EXPECT_EQ(screen.Valore.BackColor, kColorGreen);
  EXPECT_TRUE(screen.lblErr.Visible);
  loop.RunUntil(badAt + 200);
  EXPECT_FALSE(loop.LightOn()) << "the first blink turns the steady light off";
  loop.RunUntil(badAt + 1999);
  EXPECT_EQ(screen.Valore.BackColor, kColorGreen);
  ExpectDisplayEndsAt(badAt + 2000);
}

TEST(Form1, LoadWarnsWhenTheReaderIsMissingThenLightsForTwoSeconds) {
  SimulatedLoop loop;
  loop.Load();
  EXPECT_EQ(loop.warnings,
            std::vector<std::string>{"Varnel: Il lettore non è collegato al computer"});
  EXPECT_EQ(loop.outerWidthTwips, kRunningOuterWidthTwips);
  const Form1Controls& screen = loop.Screen();
  EXPECT_EQ(screen.lblCnt.Caption, "8");
  EXPECT_EQ(BitCaptions(screen), std::vector<std::string>(8, "0"));
  EXPECT_EQ(screen.Valore.Caption, "0");
  EXPECT_FALSE(screen.lblErr.Visible);
  EXPECT_TRUE(screen.Enabled(TimerId::Timer3));
  loop.Run(3000);
  EXPECT_EQ(loop.lightChanges, (LightChanges{{0, true}, {2000, false}}));
  EXPECT_FALSE(screen.lblErr.Visible) << "an armed window never times out";
}

// Each property the logic sets reaches the one control of the layout that it belongs to, and the
// controls the logic leaves alone keep what the layout gave them.
TEST(Form1, EachOfItsPropertiesReachesItsOwnControl) {
  Form1Controls screen;
  std::map<std::string, Label*> labels{
      {"lblCnt", &screen.lblCnt}, {"Valore", &screen.Valore}, {"lblErr", &screen.lblErr}};
  for (int i = 0; i < kSlotCount; ++i) labels[BitName(i)] = &screen.Bit[i];
  Color color = 1;
  for (auto& [name, label] : labels) {
    *label = Label(name, name == "lblErr");
    label->ToolTip = name + " tip";
    label->BackColor = color++;
  }
  screen.ReaderToolTip = "the link";
  screen.Sh1FillStyle = FillStyle::Solid;
  for (const ControlLayout& c : Form1Layout()) {
    SCOPED_TRACE(c.name);
    const ControlState state = StateOf(screen, c.name);
    if (!labels.contains(c.name)) {
      EXPECT_EQ(state.caption, std::nullopt);
      EXPECT_EQ(state.backColor, std::nullopt);
      EXPECT_EQ(state.toolTip,
                c.name == "frReader" ? std::optional<std::string>("the link") : std::nullopt);
      EXPECT_EQ(state.fill, c.name == "Sh1" ? std::optional(FillStyle::Solid) : std::nullopt);
      continue;
    }
    EXPECT_EQ(state.caption, c.name);
    EXPECT_EQ(state.toolTip, c.name + " tip");
    EXPECT_EQ(state.visible, c.name == "lblErr");
    EXPECT_EQ(state.backColor, labels.at(c.name)->BackColor);
    EXPECT_EQ(state.fill, std::nullopt);
  }
}

TEST(Form1, LoadWithTheReaderAttachedDoesNotWarn) {
  SimulatedLoop loop;
  loop.keyboards.ids = KeyboardIds{"USB\\VID_04D9&PID_1603&MI_00\\7&1&0&0000"};
  loop.Load();
  EXPECT_TRUE(loop.warnings.empty());
  EXPECT_TRUE(loop.LightOn());
}

TEST(Form1, UnloadLeavesTheLightOffWhateverItWas) {
  for (bool on : {false, true}) {
    SimulatedLoop loop;
    loop.light.SetOn(on);
    loop.form.Unload();
    EXPECT_FALSE(loop.LightOn());
  }
  // Closed in the middle of a blinking error: no later blink turns it back on.
  SimulatedLoop loop;
  loop.Load();
  loop.Run(2000);
  loop.Press(300);
  loop.Run(1100);
  ASSERT_TRUE(loop.Screen().Enabled(TimerId::Timer2));
  loop.form.Unload();
  loop.form.Unload();  // a log-off then the window's end: both unload
  for (TimerId timer : kTimers) EXPECT_FALSE(loop.Screen().Enabled(timer));
  loop.Run(5000);
  EXPECT_FALSE(loop.LightOn());
}

TEST(Form1, OtherKeysAndRepeatedReleasesChangeNothing) {
  SimulatedLoop loop;
  loop.Load();
  const PulseWindow before = loop.form.Window();
  for (std::int16_t key : {13, 32, 122, 124, 145}) {
    loop.input.WindowKey(key, true, false, loop.At());
    loop.Run(50);
    loop.input.WindowKey(key, false, false, loop.At());
  }
  EXPECT_EQ(loop.form.Window().SlotIndex, before.SlotIndex);
  EXPECT_EQ(loop.form.Window().Pulses, before.Pulses);
  EXPECT_EQ(loop.Screen().Sh1FillStyle, FillStyle::Transparent);

  // A hold that the platform reports as repeated release/press pairs is one press.
  loop.F12Down();
  EXPECT_EQ(loop.Screen().Sh1FillStyle, FillStyle::Solid);
  loop.Run(660);
  for (int i = 0; i < 10; ++i) {
    loop.F12Up(true);
    loop.F12Down(true);
    loop.Run(30);
  }
  loop.F12Up();
  EXPECT_EQ(loop.form.Window().Pulses[7], 960);
  EXPECT_EQ(loop.Screen().lblCnt.Caption, "7");
}

// Hours of a reader's traffic, cut codes and stray keys: after every event the window must be in
// a state that the rules allow, and a code sent cleanly must decode to what was sent.
TEST(Form1Soak, HoursOfRandomTrafficKeepEveryInvariant) {
  SimulatedLoop loop(INT_MAX - 3'600'000);  // the signed boundary falls in the first hour
  std::mt19937 rng(20261207);
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

  const auto check = [&] { ASSERT_EQ(BrokenInvariant(loop), "") << "at " << loop.Now(); };

  loop.Load();
  int cleanCodes = 0;
  while (loop.Now() < 6 * 3'600'000) {
    const int kind = uniform(0, 9);
    if (kind < 6) {  // a whole code, sent cleanly, with its own scale
      // Cleanly: after the watchdog has closed whatever came before. A press that starts
      // within the quiet time of a cut code is taken as part of it.
      loop.RunUntil(std::max(loop.Now(), loop.lastRelease + 901), check);
      Bits bits(8);
      int ones = 0;
      for (int& b : bits) ones += b = uniform(0, 1);
      if (ones == 0 || ones == 8) bits[0] = 1 - bits[0];  // equal holds carry no scale
      const std::int32_t shortMs = uniform(20, 200);
      const std::int32_t longMs = shortMs + uniform(60, 300);
      int value = 0;
      for (int b : bits) {
        value = value * 2 + b;
        loop.F12Down();
        loop.RunUntil(loop.Now() + (b ? longMs : shortMs) + uniform(-10, 10), check);
        loop.F12Up();
        loop.RunUntil(loop.Now() + uniform(10, 150), check);
      }
      loop.RunUntil(loop.lastRelease + 901, check);
      ASSERT_EQ(loop.Screen().Valore.Caption, std::to_string(value))
          << "short " << shortMs << " long " << longMs << " at " << loop.Now();
      ++cleanCodes;
    } else if (kind < 8) {  // a cut code
      for (int i = uniform(1, 7); i > 0; --i) {
        loop.F12Down();
        loop.RunUntil(loop.Now() + uniform(10, 400), check);
        loop.F12Up();
        loop.RunUntil(loop.Now() + uniform(10, 150), check);
      }
    } else {  // noise: stray keys, repeats, lone releases, long holds
      for (int i = uniform(1, 20); i > 0; --i) {
        const int what = uniform(0, 4);
        const bool repeat = uniform(0, 3) == 0;
        if (what == 0) loop.F12Down(repeat);
        if (what == 1) loop.F12Up(repeat);
        if (what == 2)
          loop.input.WindowKey(static_cast<std::int16_t>(uniform(0, 255)), true, repeat, loop.At());
        if (what == 3)
          loop.input.WindowKey(static_cast<std::int16_t>(uniform(0, 255)), false, repeat,
                               loop.At());
        check();
        loop.RunUntil(loop.Now() + uniform(0, what == 4 ? 3000 : 300), check);
      }
      loop.F12Up();
    }
    loop.RunUntil(loop.Now() + uniform(0, 4000), check);
  }
  EXPECT_GT(cleanCodes, 1000);
}

}  // namespace
}  // namespace varnel
