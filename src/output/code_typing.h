// What of each code is typed into the window in front, and when: a good code's value as the
// window shows it, as soon as the code is decided, once; nothing while the program's own window
// is in front or the reader is heard only through it; and never under a modifier the person
// holds, nor into another program's grab, a locked screen or a window of more rights: each is
// waited out for a second at most. Each code is handed back, typed or why not, in the order the
// codes were decided, for its record.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/reader_link.h"
#include "output/typing_port.h"
#include "reception/code_outcome.h"
#include "reception/tick.h"

namespace varnel {

// How long a code waits at most for the modifiers to be let go, or for what bars keys to go; it
// looks again at each tick of the form's TypeWait timer.
inline constexpr std::int32_t kModifierWaitMs = 1000;
// --type-delay: the pause between keys, for receivers that drop keys sent fast.
inline constexpr std::int32_t kMaxTypeDelayMs = 200;

// Where a code's keys are typed. A pace between keys takes its time on a thread of its own
// (OpenTypingThread), so that it never holds up the window or the light; without one, keys go
// out at once, on the caller's thread. One code at a time.
class TypingRunner {
 public:
  virtual ~TypingRunner() = default;
  // Starts `job`; the one started before has ended.
  virtual void Start(std::function<void()> job) = 0;
  // Whether the last job has ended: what it did is then seen by the caller.
  virtual bool Ended() = 0;
  virtual void Wait() = 0;
};
std::unique_ptr<TypingRunner> OpenTypingThread();
std::unique_ptr<TypingRunner> OpenTypingHere();

// Where typing cannot work, the line that says so at start-up.
inline constexpr const char* kTypingHeadless =
    "varnel: --type needs a display: with --headless there is no window in front to type into";

// The text typed for a code: its value in decimal digits for a good code, nothing otherwise.
std::string TypedText(const CodeOutcome& outcome);
// "enter", "tab", "none"; nothing for any other word.
std::optional<TypeEnd> TypeEndNamed(const std::string& name);

struct TypingOptions {
  TypeEnd end = TypeEnd::Enter;
  std::int32_t pauseMs = 0;  // between keys
};

class CodeTyping {
 public:
  using Say = std::function<void(const std::string& line)>;
  // `runner` types what `port` is to type; each runs until this ends.
  CodeTyping(TypingPort& port, TypingOptions options, TypingRunner& runner, Say say);

  struct Settled {
    CodeOutcome outcome;
    LinkStatus link;
    bool typed = false;
    std::optional<Untyped> untyped;  // why not, when not typed
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
  // The program ends: the code being typed is let finish; every code still waiting is handed
  // back untyped, so that its record is not lost with it.
  Step Abandon();

 private:
  struct Pending {
    Settled code;
    Tick decidedAt;
    bool started = false;  // its keys are going out
  };
  Step Settle(Tick now);
  // Whether the first waiting code is settled: typed, or not to be.
  bool TrySettle(Pending& pending, Tick now);
  // The code is not typed, for `cause`; `why`, if given, is said the first time of each cause.
  void NotTyped(Settled& code, Untyped cause, const std::string& why = {});
  void Finish(Settled& code);

  TypingPort& port_;
  TypingOptions options_;
  TypingRunner& runner_;
  Say say_;
  std::optional<bool> direct_;
  std::deque<Pending> pending_;
  // What the job on the runner found, read once it has ended.
  bool typed_ = false;
  TypingFailure failure_;
  std::vector<Untyped> told_;
};

}  // namespace varnel
