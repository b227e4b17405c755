#include "reception/code_outcome.h"

#include <algorithm>

#include "reception/frame_decoder.h"

namespace varnel {

std::int64_t Margin(std::int32_t hold, std::int32_t threshold) {
  const std::int64_t distance = std::int64_t{hold} - threshold;
  return distance < 0 ? -distance : distance;
}

CodeOutcome DecodedOutcome(const PulseArray& holds) {
  PulseArray bits = holds;
  bool parityOk = false;
  CodeOutcome outcome;
  outcome.value = modReader::DecodeBits(bits, parityOk);
  outcome.verdict = parityOk ? CodeOutcome::Verdict::Good : CodeOutcome::Verdict::Parity;
  const std::int32_t threshold = modReader::FrameThreshold(holds);
  outcome.thresholdMs = threshold;
  // Slot 7 is the first press.
  for (std::size_t i = holds.size(); i-- > 0;) {
    outcome.holdsMs.push_back(holds[i]);
    outcome.bits += bits[i] ? '1' : '0';
    const std::int64_t margin = Margin(holds[i], threshold);
    outcome.marginMs = std::min(outcome.marginMs.value_or(margin), margin);
  }
  return outcome;
}

CodeOutcome TimeoutOutcome(const PulseWindow& window) {
  CodeOutcome outcome;
  // The slots above the current one hold completed presses; the current one, if a press is
  // down, its key-down time.
  for (std::int32_t slot = kArmedSlot; slot > window.SlotIndex; --slot) {
    outcome.holdsMs.push_back(window.Pulses[static_cast<std::size_t>(slot)]);
  }
  return outcome;
}

}  // namespace varnel
