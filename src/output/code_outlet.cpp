#include "output/code_outlet.h"

namespace varnel {

void CodeOutlet::TypeCodes(TypingPort& port, TypingOptions options, CodeTyping::Say say) {
  StopTyping();
  runner_ = options.pauseMs > 0 || port.Slow() ? OpenTypingThread() : OpenTypingHere();
  typing_ = std::make_unique<CodeTyping>(port, options, *runner_, std::move(say));
  typing_->LinkNow(direct_);
}

void CodeOutlet::StopTyping() {
  Abandon();
  typing_.reset();
}

void CodeOutlet::LinkNow(bool direct) {
  direct_ = direct;
  if (typing_) typing_->LinkNow(direct);
}

bool CodeOutlet::Decided(const CodeOutcome& outcome, const LinkStatus& link, Tick now) {
  if (typing_) return Settle(typing_->Decided(outcome, link, now));
  if (recorder_) recorder_->Record(outcome, link);
  return false;
}

bool CodeOutlet::Poll(Tick now) { return typing_ && Settle(typing_->Poll(now)); }

void CodeOutlet::Abandon() {
  if (typing_) Settle(typing_->Abandon());
}

bool CodeOutlet::Settle(const CodeTyping::Step& step) {
  if (recorder_) {
    for (const CodeTyping::Settled& code : step.settled) {
      recorder_->Record(code.outcome, code.link, code.typed, code.untyped);
    }
  }
  return step.waiting;
}

}  // namespace varnel
