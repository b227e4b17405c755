#include "output/code_typing.h"

namespace varnel {

std::string TypedText(const CodeOutcome& outcome) {
  if (outcome.verdict != CodeOutcome::Verdict::Good || !outcome.value) return {};
  return std::to_string(*outcome.value);
}

std::optional<TypeEnd> TypeEndNamed(const std::string& name) {
  if (name == "enter") return TypeEnd::Enter;
  if (name == "tab") return TypeEnd::Tab;
  if (name == "none") return TypeEnd::None;
  return std::nullopt;
}

CodeTyping::CodeTyping(TypingPort& port, TypeEnd end, Say say)
    : port_(port), end_(end), say_(std::move(say)) {}

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
  pending_.push_back({{outcome, link, false}, now});
  // Behind a code that waits, a code waits its turn: the codes are typed in their order.
  if (pending_.size() > 1) return {{}, true};
  return Settle(now);
}

CodeTyping::Step CodeTyping::Poll(Tick now) { return Settle(now); }

CodeTyping::Step CodeTyping::Abandon() {
  Step step;
  for (Pending& pending : pending_) step.settled.push_back(std::move(pending.code));
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
  const std::string text = TypedText(code.outcome);
  // A code heard through the window came while the window was in front: it is there already.
  if (text.empty() || !code.link.direct || port_.OwnWindowInFront()) return true;
  if (port_.ModifierHeld()) {
    if (TickDiff(now, pending.decidedAt) < kModifierWaitMs) return false;
    say_("varnel: code " + text + " not typed: a modifier key was still held a second after it");
    return true;
  }
  std::string problem;
  code.typed = port_.Type(text, end_, problem);
  if (!code.typed) say_("varnel: code " + text + " not typed: " + problem);
  return true;
}

}  // namespace varnel
