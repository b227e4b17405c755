#include "output/recorded_code.h"

#include <nlohmann/json.hpp>

namespace varnel {
namespace {

template <typename T>
std::optional<T> Field(const nlohmann::json& record, const char* name) {
  const auto field = record.find(name);
  if (field == record.end() || !field->is_number_integer()) return std::nullopt;
  return field->get<T>();
}

}  // namespace

std::optional<CodeOutcome> RecordedOutcome(std::string_view line) {
  const nlohmann::json record = nlohmann::json::parse(line, nullptr, false);
  if (!record.is_object()) return std::nullopt;
  CodeOutcome outcome;
  const auto named = record.find("verdict");
  const std::string verdict =
      named != record.end() && named->is_string() ? named->get<std::string>() : "";
  if (verdict == "good") {
    outcome.verdict = CodeOutcome::Verdict::Good;
  } else if (verdict == "parity") {
    outcome.verdict = CodeOutcome::Verdict::Parity;
  } else if (verdict != "timeout") {
    return std::nullopt;
  }
  if (const auto holds = record.find("holds_ms"); holds != record.end() && holds->is_array()) {
    for (const nlohmann::json& hold : *holds) {
      if (!hold.is_number_integer()) return std::nullopt;
      outcome.holdsMs.push_back(hold.get<std::int32_t>());
    }
  }
  if (outcome.verdict == CodeOutcome::Verdict::Timeout) return outcome;
  // A decoded code is shown whole, or not at all.
  outcome.value = Field<std::int32_t>(record, "value");
  outcome.thresholdMs = Field<std::int32_t>(record, "threshold_ms");
  outcome.marginMs = Field<std::int64_t>(record, "margin_ms");
  const auto bits = record.find("bits");
  if (bits == record.end() || !bits->is_string()) return std::nullopt;
  outcome.bits = bits->get<std::string>();
  if (!outcome.value || !outcome.thresholdMs || !outcome.marginMs || outcome.bits.size() != 8 ||
      outcome.holdsMs.size() != 8 || outcome.bits.find_first_not_of("01") != std::string::npos) {
    return std::nullopt;
  }
  return outcome;
}

}  // namespace varnel
