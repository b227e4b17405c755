#include "process/local_time.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

TEST(LocalTime, GivesTheOffsetFromUtcEvenAcrossMidnight) {
  std::tm local{};
  local.tm_year = 126, local.tm_mon = 11, local.tm_mday = 6, local.tm_hour = 21;
  std::tm utc = local;
  utc.tm_mday = 7, utc.tm_hour = 0, utc.tm_min = 30;
  EXPECT_EQ(FormatLocalTime(local, utc, 7), "2026-12-06T21:00:00.007-03:30");
  utc = local;
  utc.tm_hour = 20;
  EXPECT_EQ(FormatLocalTime(local, utc, 123), "2026-12-06T21:00:00.123+01:00");
}

}  // namespace
}  // namespace varnel
