// One line of JSON for each code, for the programs that take Varnel's codes from its standard
// output. Fields may be added, never renamed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "output/typing_port.h"
#include "reception/code_outcome.h"

namespace varnel {

struct CodeRecord {
  std::int64_t seq = 0;  // 1, 2, ... since start
  std::string run;       // the same in all records of one run: see NewRunId
  std::string time;      // local wall-clock time, see LocalTimeText
  CodeOutcome outcome;
  bool direct = false;                // through the reader's own device, or through the window
  std::optional<std::string> device;  // the event node, while direct
  bool typed = false;                 // typed into the window in front
  std::optional<Untyped> untyped;     // where typing is on and it was not: why
};

// The record as one line of JSON, its keys in a fixed order, ending in LF.
std::string RecordLine(const CodeRecord& record);

}  // namespace varnel
