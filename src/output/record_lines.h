// Where each record's line goes, on every platform: to the programs that follow this Varnel, and
// to standard output when asked. Either may be null.
#pragma once

#include <string>
#include <utility>

#include "output/code_recorder.h"
#include "output/line_writer.h"
#include "session/code_stream.h"

namespace varnel {

inline CodeRecorder::Emit RecordLines(CodeStream* followers, LineWriter* output) {
  return [followers, output](std::string line) {
    if (followers) followers->Serve(line);
    if (output) output->Push(std::move(line));
  };
}

}  // namespace varnel
