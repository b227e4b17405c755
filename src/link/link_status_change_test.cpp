// What a link's change of status comes to, for every link alike.
#include "link/link_status_change.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

namespace varnel {
namespace {

using Why = LinkStatus::Why;

LinkStatus Up(const std::string& path, bool exclusive = true) {
  LinkStatus status;
  status.direct = true;
  status.paths = {path};
  status.exclusive = exclusive;
  return status;
}

LinkStatus Down(Why why, WindowLight windowLight = WindowLight::Indicator) {
  LinkStatus status;
  status.why = why;
  status.windowLight = windowLight;
  return status;
}

const std::string kUntilThen = " Until then codes come through the window, while it has the focus.";

TEST(LinkStatusChange, OnlyAFlipCutsTheCodeAndIsSaidAndOnlyAChangeIsReported) {
  struct Case {
    const char* what;
    LinkStatus status;
    bool cut;
    std::string said;
    bool reported;
  };
  LinkStatusChange change(WindowLight::Indicator);
  for (const Case& c : {
           Case{"the first, down: the window needs no word", Down(Why::NoReader), false, "", true},
           Case{"the same again", Down(Why::NoReader), false, "", false},
           Case{"another why, still the window's path", Down(Why::NoDeviceList), false, "", true},
           Case{"up", Up("reader", false), true,
                "varnel: direct link to the reader up, through reader", true},
           Case{"the same again", Up("reader", false), false, "", false},
           Case{"taken alone, still the direct path", Up("reader"), false, "", true},
           Case{"down", Down(Why::NoReader), true,
                "varnel: direct link to the reader down (the reader's device is not there)." +
                    kUntilThen,
                true},
       }) {
    SCOPED_TRACE(c.what);
    const LinkStatusChange::Step step = change.To(c.status);
    EXPECT_EQ(step.cutCode, c.cut);
    EXPECT_EQ(step.say, c.said);
    EXPECT_EQ(step.report, c.reported);
    EXPECT_EQ(change.Status(), c.status);
  }
  LinkStatusChange up(WindowLight::Wayland);
  EXPECT_EQ(up.Status(), Down(Why::NoReader, WindowLight::Wayland)) << "before any status";
  const LinkStatusChange::Step first = up.To(Up("/dev/input/event17"));
  EXPECT_FALSE(first.cutCode) << "no path yet to flip from";
  EXPECT_EQ(first.say, "varnel: direct link to the reader up, through /dev/input/event17");
}

TEST(LinkStatusChange, TheLineThatSaysTheLinkIsDownSaysWhyAndWhatBecomesOfTheCodes) {
  LinkStatus cannotOpen = Down(Why::CannotOpen);
  cannotOpen.failedPath = "/dev/input/event17";
  cannotOpen.error = EACCES;
  LinkStatus held = Down(Why::HeldByAnother, WindowLight::NoWindow);
  held.failedPath = "/dev/input/event17";
  for (const auto& [status, said] : std::vector<std::pair<LinkStatus, std::string>>{
           {Down(Why::NoDeviceList), "(the input device list cannot be read)." + kUntilThen},
           {cannotOpen, "(cannot open /dev/input/event17 (Permission denied))." + kUntilThen},
           {Down(Why::PersonsKeyboard, WindowLight::Wayland),
            "(the device with the reader's identity is a person's keyboard)." + kUntilThen},
           {held,
            "(another program holds /dev/input/event17 exclusively). Until then no code "
            "comes in."},
       }) {
    SCOPED_TRACE(said);
    LinkStatusChange change(status.windowLight);
    (void)change.To(Up("reader"));
    EXPECT_EQ(change.To(status).say, "varnel: direct link to the reader down " + said);
  }
}

}  // namespace
}  // namespace varnel
