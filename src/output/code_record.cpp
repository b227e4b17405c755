#include "output/code_record.h"

#include <nlohmann/json.hpp>

namespace varnel {
namespace {

const char* VerdictName(CodeOutcome::Verdict verdict) {
  switch (verdict) {
    case CodeOutcome::Verdict::Good:
      return "good";
    case CodeOutcome::Verdict::Parity:
      return "parity";
    case CodeOutcome::Verdict::Timeout:
      break;
  }
  return "timeout";
}

template <typename T>
nlohmann::ordered_json OrNull(const std::optional<T>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

std::string RecordLine(const CodeRecord& record) {
  const CodeOutcome& o = record.outcome;
  nlohmann::ordered_json line;
  line["seq"] = record.seq;
  line["run"] = record.run;
  line["time"] = record.time;
  line["verdict"] = VerdictName(o.verdict);
  line["value"] = OrNull(o.value);
  line["bits"] = o.value ? nlohmann::ordered_json(o.bits) : nlohmann::ordered_json(nullptr);
  line["holds_ms"] = o.holdsMs;
  line["threshold_ms"] = OrNull(o.thresholdMs);
  line["margin_ms"] = OrNull(o.marginMs);
  line["link"] = record.direct ? "direct" : "window";
  line["device"] = OrNull(record.device);
  line["typed"] = record.typed;
  if (record.untyped) line["untyped"] = UntypedName(*record.untyped);
  // A device path is the system's bytes, not always UTF-8: never a reason to lose the code.
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace varnel
