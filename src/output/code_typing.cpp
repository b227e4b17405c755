#include "output/code_typing.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace varnel {

std::string TypedText(const CodeOutcome& outcome) {
  if (outcome.verdict != CodeOutcome::Verdict::Good || !outcome.value) return {};
  return std::to_string(*outcome.value);
}

namespace {

// Each cause, in the order of Untyped: its name in the record, and, for what is waited out, why
// the code was given up, as the person is told.
struct CauseText {
  const char* name;
  const char* waitedOut;
};
constexpr std::array<CauseText, 8> kCauses{{
    {"bad", nullptr},
    {"own-window", nullptr},
    {"window-path", nullptr},
    {"modifier", "a modifier key was still held a second after it"},
    {"grab", "another program holds the keyboard (a menu or a screen locker)"},
    {"locked", "the screen is locked"},
    {"elevated", "the window in front runs with more rights than Varnel"},
    {"ended", nullptr},
}};
static_assert(static_cast<std::size_t>(Untyped::Ended) + 1 == kCauses.size());

const CauseText& TextOf(Untyped cause) { return kCauses[static_cast<std::size_t>(cause)]; }

}  // namespace

const char* UntypedName(Untyped cause) { return TextOf(cause).name; }

std::optional<TypeEnd> TypeEndNamed(const std::string& name) {
  if (name == "enter") return TypeEnd::Enter;
  if (name == "tab") return TypeEnd::Tab;
  if (name == "none") return TypeEnd::None;
  return std::nullopt;
}

CodeTyping::CodeTyping(TypingPort& port, TypingOptions options, TypingRunner& runner, Say say)
    : port_(port), options_(options), runner_(runner), say_(std::move(say)) {}

void CodeTyping::LinkNow(bool direct) {
  const bool told = direct_.has_value();
  if (told && *direct_ == direct) return;
  direct_ = direct;
  if (!direct) {
    say_(
        "varnel: typing waits for the reader to be heard without the focus: until then its codes "
        "come only through Varnel's own window");
  } else if (told) {
    say_("varnel: typing resumes: the reader is heard without the focus");
  }
}

CodeTyping::Step CodeTyping::Decided(const CodeOutcome& outcome, const LinkStatus& link, Tick now) {
  pending_.push_back({{outcome, link, false, std::nullopt}, now});
  // Behind a code that waits, a code waits its turn: the codes are typed in their order.
  if (pending_.size() > 1) return {{}, true};
  return Settle(now);
}

CodeTyping::Step CodeTyping::Poll(Tick now) { return Settle(now); }

CodeTyping::Step CodeTyping::Abandon() {
  Step step;
  for (Pending& pending : pending_) {
    if (pending.started) {
      runner_.Wait();
      Finish(pending.code);
    } else {
      NotTyped(pending.code, Untyped::Ended);
    }
    step.settled.push_back(std::move(pending.code));
  }
  pending_.clear();
  return step;
}

CodeTyping::Step CodeTyping::Settle(Tick now) {
  Step step;
  while (!pending_.empty() && TrySettle(pending_.front(), now)) {
    step.settled.push_back(std::move(pending_.front().code));
    pending_.pop_front();
    // The next one's second starts when its turn comes.
    if (!pending_.empty()) pending_.front().decidedAt = now;
  }
  step.waiting = !pending_.empty();
  return step;
}

bool CodeTyping::TrySettle(Pending& pending, Tick now) {
  Settled& code = pending.code;
  if (pending.started) {
    if (!runner_.Ended()) return false;
    Finish(code);
    return true;
  }
  const std::string text = TypedText(code.outcome);
  if (text.empty()) {
    NotTyped(code, Untyped::Bad);
    return true;
  }
  // A code heard through the window came while the window was in front: it is there already.
  if (!code.link.direct) {
    NotTyped(code, Untyped::WindowPath);
    return true;
  }
  if (port_.OwnWindowInFront()) {
    NotTyped(code, Untyped::OwnWindow);
    return true;
  }
  const bool modifier = port_.ModifierHeld();
  const std::optional<Untyped> barred =
      modifier ? std::optional(Untyped::Modifier) : port_.Barred();
  if (barred) {
    if (TickDiff(now, pending.decidedAt) < kModifierWaitMs) return false;
    NotTyped(code, *barred, TextOf(*barred).waitedOut);
    return true;
  }
  pending.started = true;
  typed_ = false;
  runner_.Start(
      [this, text] { typed_ = port_.Type(text, options_.end, options_.pauseMs, failure_); });
  if (!runner_.Ended()) return false;
  Finish(code);
  return true;
}

void CodeTyping::Finish(Settled& code) {
  code.typed = typed_;
  if (!typed_) NotTyped(code, failure_.cause, failure_.problem);
}

void CodeTyping::NotTyped(Settled& code, Untyped cause, const std::string& why) {
  code.untyped = cause;
  if (why.empty() || std::find(told_.begin(), told_.end(), cause) != told_.end()) return;
  told_.push_back(cause);
  say_("varnel: code " + TypedText(code.outcome) + " not typed: " + why);
}

}  // namespace varnel
