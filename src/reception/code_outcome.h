// What a code came to, made where the code ends: the window shows it, and whoever keeps every
// code beyond the two seconds of the display is handed it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reception/pulse_capture.h"

namespace varnel {

struct CodeOutcome {
  enum class Verdict { Good, Parity, Timeout };
  Verdict verdict = Verdict::Timeout;
  // First press first. For a timeout, the holds completed before the code was cut.
  std::vector<std::int32_t> holdsMs;
  // The rest only for a decoded code. `bits` as the window shows them, first press first.
  std::optional<std::int32_t> value;
  std::string bits;
  std::optional<std::int32_t> thresholdMs;
  // The smallest distance of any hold from the threshold: how close the code came to a wrong bit.
  std::optional<std::int64_t> marginMs;
  bool operator==(const CodeOutcome&) const = default;
};

// What the window says of an outcome that is not good.
inline constexpr std::string_view kParityMessage = "Parità";
inline constexpr std::string_view kTimeoutMessage = "Timeout";

// A full window of holds, decoded.
CodeOutcome DecodedOutcome(const PulseArray& holds);
// A window cut short: the holds of its completed presses.
CodeOutcome TimeoutOutcome(const PulseWindow& window);

// The distance of `hold` from `threshold`, which stale slots can push past 32 bits.
std::int64_t Margin(std::int32_t hold, std::int32_t threshold);

}  // namespace varnel
