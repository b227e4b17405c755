// Wall-clock local time as the code records give it: 2026-12-07T14:03:21.123+01:00.
#pragma once

#include <chrono>
#include <ctime>
#include <string>

namespace varnel {

// `local` and `utc` are the same moment broken down in the local zone and in UTC; the offset
// is their difference, which every platform's C library gives the same way.
std::string FormatLocalTime(const std::tm& local, const std::tm& utc, int milliseconds);

std::string LocalTimeText(std::chrono::system_clock::time_point when);

}  // namespace varnel
