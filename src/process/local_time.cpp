#include "process/local_time.h"

#include <cstdio>
#include <cstdlib>

namespace varnel {
namespace {

std::chrono::sys_seconds Civil(const std::tm& t) {
  using namespace std::chrono;
  const sys_days date{year{t.tm_year + 1900} / month{static_cast<unsigned>(t.tm_mon + 1)} /
                      day{static_cast<unsigned>(t.tm_mday)}};
  return date + hours{t.tm_hour} + minutes{t.tm_min} + seconds{t.tm_sec};
}

}  // namespace

std::string FormatLocalTime(const std::tm& local, const std::tm& utc, int milliseconds) {
  const auto offset =
      std::chrono::duration_cast<std::chrono::minutes>(Civil(local) - Civil(utc)).count();
  const long long magnitude = std::llabs(offset);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02lld:%02lld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, milliseconds, offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return text;
}

std::string LocalTimeText(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch());
  std::tm local{};
  std::tm utc{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
  gmtime_s(&utc, &seconds);
#else
  localtime_r(&seconds, &local);
  gmtime_r(&seconds, &utc);
#endif
  return FormatLocalTime(local, utc, static_cast<int>((ms.count() % 1000 + 1000) % 1000));
}

}  // namespace varnel
