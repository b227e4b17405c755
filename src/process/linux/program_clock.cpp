#include "process/program_clock.h"

#include <cstdint>
#include <ctime>

namespace varnel {

Tick TickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
  return static_cast<Tick>(static_cast<std::uint32_t>(ms));
}

}  // namespace varnel
