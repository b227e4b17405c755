#include "session/run_id.h"

#include <random>

namespace varnel {

std::string RunIdText(std::uint64_t bits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (auto digit = text.rbegin(); digit != text.rend(); ++digit, bits >>= 4) {
    *digit = kDigits[bits & 0xf];
  }
  return text;
}

std::string NewRunId() {
  std::random_device source;
  const std::uint64_t high = source();
  return RunIdText(high << 32 | source());
}

}  // namespace varnel
