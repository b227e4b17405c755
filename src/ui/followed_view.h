// The window beside a Varnel that runs as a service: that one has the reader and answers it, and
// this window shows its codes as they come, as it would show its own. It drives no light and
// types nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "session/followed_stream.h"
#include "session/running_varnel.h"
#include "ui/form1.h"

namespace varnel {

class FollowedView {
 public:
  // Loads `form`, whose light is none, as the viewer of `running`'s codes.
  FollowedView(Form1& form, const RunningVarnel& running);

  // Bytes of the followed stream: the code of each whole record is shown. False once the
  // stream has refused this window.
  bool Take(std::string_view bytes);
  // The stream has ended, and its Varnel with it (`serviceEnded`) or not: what the window says
  // before it ends too.
  std::string EndText(bool serviceEnded) const;
  // What this window says on standard error as it starts, and as it ends.
  std::string StartLine() const;
  std::string EndLine(bool serviceEnded) const;

 private:
  Form1& form_;
  RunningVarnel running_;
  FollowedLines lines_;
};

}  // namespace varnel
