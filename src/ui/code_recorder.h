// Keeps every code as a record: numbered, stamped with the wall-clock time and the link it came
// through, and handed on as one line.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "ui/code_record.h"

namespace varnel {

class CodeRecorder final : public CodeListener {
 public:
  using WallClock = std::function<std::string()>;
  using Emit = std::function<void(std::string line)>;
  // `run`: this run's name, in every record.
  CodeRecorder(WallClock wallClock, Emit sink, std::string run)
      : wallClock_(std::move(wallClock)), sink_(std::move(sink)), run_(std::move(run)) {}

  // The link that codes come through from now on; `device` while direct.
  void SetLink(bool direct, std::optional<std::string> device) {
    direct_ = direct;
    device_ = std::move(device);
  }
  void CodeDecided(const CodeOutcome& outcome) override {
    sink_(RecordLine(
        {++seq_, run_, wallClock_(), outcome, direct_, direct_ ? device_ : std::nullopt}));
  }

 private:
  WallClock wallClock_;
  Emit sink_;
  std::string run_;
  std::int64_t seq_ = 0;
  bool direct_ = false;
  std::optional<std::string> device_;
};

}  // namespace varnel
