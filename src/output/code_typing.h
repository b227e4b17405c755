// What of each code is typed into the window in front, and when: a good code's value as the
// window shows it, as soon as the code is decided, once; nothing while the program's own window
// is in front or the reader is heard only through it; and never under a modifier the person
// holds, which is waited out for a second at most. Each code is handed back, typed or not, in
// the order the codes were decided, for its record.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/reader_link.h"
#include "output/typing_port.h"
#include "reception/code_outcome.h"
#include "reception/tick.h"

namespace varnel {

// How long a code waits at most for the modifiers to be let go; it looks again at each tick of
// the form's TypeWait timer.
inline constexpr std::int32_t kModifierWaitMs = 1000;

// Where typing cannot work, the line that says so at start-up.
inline constexpr const char* kTypingOnWayland =
    "varnel: --type needs X11 or Windows: on Wayland no program may type into another";
inline constexpr const char* kTypingHeadless =
    "varnel: --type needs X11 or Windows: with --headless there is no display to type into";

// The text typed for a code: its value in decimal digits for a good code, nothing otherwise.
std::string TypedText(const CodeOutcome& outcome);
// "enter", "tab", "none"; nothing for any other word.
std::optional<TypeEnd> TypeEndNamed(const std::string& name);

class CodeTyping {
 public:
  using Say = std::function<void(const std::string& line)>;
  CodeTyping(TypingPort& port, TypeEnd end, Say say);

  struct Settled {
    CodeOutcome outcome;
    LinkStatus link;
    bool typed = false;
  };
  struct Step {
    std::vector<Settled> settled;  // in the order decided
    bool waiting = false;          // a code waits for the modifiers: Poll again in a while
  };

  // Whether the reader is heard without the focus. The first time, and at each change, the
  // person is told if typing waits for it, and when it resumes.
  void LinkNow(bool direct);
  // A code decided at `now`, which came through `link`.
  Step Decided(const CodeOutcome& outcome, const LinkStatus& link, Tick now);
  // Now and then while waiting.
  Step Poll(Tick now);
  // The program ends: every code still waiting is handed back untyped, so that its record is
  // not lost with it.
  Step Abandon();

 private:
  struct Pending {
    Settled code;
    Tick decidedAt;
  };
  Step Settle(Tick now);
  // Whether the first waiting code is settled: typed, or not to be.
  bool TrySettle(Pending& pending, Tick now);

  TypingPort& port_;
  TypeEnd end_;
  Say say_;
  std::optional<bool> direct_;
  std::deque<Pending> pending_;
};

}  // namespace varnel
