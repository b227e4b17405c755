// Keeps every code as a record: numbered, stamped with the wall-clock time and the link it came
// through, and handed on as one line.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "link/reader_link.h"
#include "output/code_record.h"

namespace varnel {

class CodeRecorder final {
 public:
  using WallClock = std::function<std::string()>;
  using Emit = std::function<void(std::string line)>;
  // `run`: this run's name, in every record.
  CodeRecorder(WallClock wallClock, Emit sink, std::string run)
      : wallClock_(std::move(wallClock)), sink_(std::move(sink)), run_(std::move(run)) {}

  // A code, as it came through the link in `link`; `typed` into the window in front or not,
  // and where typing is on, why not.
  void Record(const CodeOutcome& outcome, const LinkStatus& link, bool typed = false,
              std::optional<Untyped> untyped = std::nullopt) {
    std::optional<std::string> device;
    if (link.direct && !link.paths.empty()) device = link.paths.front();
    sink_(RecordLine(
        {++seq_, run_, wallClock_(), outcome, link.direct, std::move(device), typed, untyped}));
  }

 private:
  WallClock wallClock_;
  Emit sink_;
  std::string run_;
  std::int64_t seq_ = 0;
};

}  // namespace varnel
