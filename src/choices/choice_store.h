// Where a user's kept choices live, one store per platform: the toolkit's settings file at the
// XDG place on Linux, the user's registry on Windows.
#pragma once

#include <memory>
#include <string>

#include "choices/choices.h"

namespace varnel {

class ChoiceStore {
 public:
  virtual ~ChoiceStore() = default;

  struct Read {
    KeptValues values;
    // Why the store could not be read, or not all of it; empty when it could. What it could
    // read is in `values` all the same.
    std::string problem;
  };
  // Nothing kept yet is no problem: no values.
  virtual Read ReadAll() = 0;
  // Keeps `values` as they are, beside the others kept; false, with `problem` said, when it
  // could not.
  virtual bool Keep(const KeptValues& values, std::string& problem) = 0;
  // Drops everything kept.
  virtual bool Forget(std::string& problem) = 0;
  // Where a person finds them: the file's path, the registry key.
  virtual std::string Where() const = 0;
};

std::unique_ptr<ChoiceStore> OpenChoiceStore();

}  // namespace varnel
