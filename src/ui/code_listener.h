// Who is told of every code as the window shows it.
#pragma once

#include "reception/code_outcome.h"

namespace varnel {

class CodeListener {
 public:
  virtual void CodeDecided(const CodeOutcome& outcome) = 0;

 protected:
  ~CodeListener() = default;
};

}  // namespace varnel
