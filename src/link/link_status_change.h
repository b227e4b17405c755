// What a change of status comes to, whichever link hears the reader without the focus: each one
// works out its status its own way, and all of them tell the user and the program of it alike.
// The link does the step itself, so that it can fit its own work in between (the Linux link
// moves the light before the program hears of the change, so that the program's next write
// already goes where the light is).
#pragma once

#include <string>

#include "link/reader_link.h"

namespace varnel {

// What becomes of the codes while the direct link is down, for a line that says it is.
std::string Meanwhile(WindowLight windowLight);

class LinkStatusChange {
 public:
  // What the program sees until the first status: no direct link, through `windowLight`.
  explicit LinkStatusChange(WindowLight windowLight);

  struct Step {
    // The path flipped: the code in progress is to be cut (not even if full).
    bool cutCode = false;
    // The line for the user; empty when there is nothing to say.
    std::string say;
    // The program is to be told Status(): the first status, or one that differs.
    bool report = false;
  };
  // The link's status now.
  [[nodiscard]] Step To(const LinkStatus& status);
  // The status the program was told last.
  const LinkStatus& Status() const { return status_; }

 private:
  bool reported_ = false;
  LinkStatus status_;
};

}  // namespace varnel
