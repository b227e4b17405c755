#include "link/hook_watch.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

TEST(HookWatch, AKeyTheHookHasNotSeenAMomentLaterMeansItIsGone) {
  HookWatch watch;
  watch.RawKey(1000);
  EXPECT_FALSE(watch.Missed(1100, 0)) << "too soon to tell";
  EXPECT_TRUE(watch.Missed(1250, 0));
  EXPECT_FALSE(watch.Missed(2000, 0)) << "judged once";
  watch.RawKey(3000);
  watch.RawKey(3200);  // keys in a row: the first tells
  EXPECT_TRUE(watch.Missed(3260, 2900));
}

TEST(HookWatch, AKeyTheHookSawInEitherOrderIsNoLoss) {
  HookWatch watch;
  watch.RawKey(1000);
  EXPECT_FALSE(watch.Missed(1300, 1000));
  watch.RawKey(2000);
  EXPECT_FALSE(watch.Missed(2300, 1990)) << "the two stamps of one key a little apart";
  watch.RawKey(3000);
  EXPECT_FALSE(watch.Missed(3300, 3100)) << "the hook has seen later keys";
  watch.RawKey(static_cast<Tick>(-20));
  EXPECT_TRUE(watch.Missed(300, static_cast<Tick>(-200))) << "across the counter's wrap";
}

}  // namespace
}  // namespace varnel
