#include "session/running_varnel.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

TEST(RunningVarnel, TheLockNamesItsHolderInOneLine) {
  for (const RunningVarnel running : {RunningVarnel{7, true}, RunningVarnel{1234567, false}}) {
    EXPECT_EQ(ParseRunningVarnel(RunningVarnelLine(running)), running);
  }
  // Read while the holder is still writing it, or written by something else.
  for (const char* line : {"", "12", "12 win", "0 window\n", "-3 window\n", "12 window"}) {
    EXPECT_EQ(ParseRunningVarnel(line), std::nullopt) << line;
  }
}

}  // namespace
}  // namespace varnel
