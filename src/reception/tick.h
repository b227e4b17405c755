// Millisecond tick counts and the differences between them.
#pragma once

#include <cstdint>

namespace varnel {

// A millisecond counter since some fixed start, read as a signed 32-bit value that wraps after
// 2^32 ms (about 49.7 days), as the Windows tick count does.
using Tick = std::int32_t;

// later - earlier, modulo 2^32. Done in unsigned arithmetic so that a counter crossing the signed
// boundary or wrapping during a hold still yields the true elapsed time instead of overflowing.
constexpr std::int32_t TickDiff(Tick later, Tick earlier) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(later) -
                                   static_cast<std::uint32_t>(earlier));
}

// The tick `ms` milliseconds after `t`, wrapping as the counter does.
constexpr Tick TickAfter(Tick t, std::int32_t ms) {
  return static_cast<Tick>(static_cast<std::uint32_t>(t) + static_cast<std::uint32_t>(ms));
}

// When a key event happened, by two clocks: `event`, the input system's own stamp of the key's
// movement, and `handled`, the program's tick count when it handled the event. Holds are
// differences of event times; the quiet time that ends a code runs on the program's ticks.
struct KeyTime {
  Tick event;
  Tick handled;
  bool operator==(const KeyTime&) const = default;
};

}  // namespace varnel
