// The one way out for a decided code: each code is taken once, typed into the window in front
// where typing is on and CodeTyping lets it, then recorded with whether it was. The outputs are
// listed here and nowhere else: the record and its line (record_lines.h) and typing
// (typing_port.h).
#pragma once

#include <memory>

#include "output/code_recorder.h"
#include "output/code_typing.h"

namespace varnel {

class CodeOutlet final {
 public:
  // Every code goes to `recorder` too, unless it is null.
  void SetRecorder(CodeRecorder* recorder) { recorder_ = recorder; }
  // From now on each code is typed as CodeTyping decides, through `port`, and the record of each
  // says whether it was, and why not. `say` tells the person why not.
  void TypeCodes(TypingPort& port, TypingOptions options, CodeTyping::Say say);
  // From now on nothing is typed. Either, made while a code waits, records it untyped.
  void StopTyping();
  bool Types() const { return typing_ != nullptr; }

  // Whether the reader is heard without the focus, at start and at each change.
  void LinkNow(bool direct);
  // A code decided at `now`, which came through `link`. Each of these returns whether a code
  // still waits to be typed: then Poll again in a while.
  bool Decided(const CodeOutcome& outcome, const LinkStatus& link, Tick now);
  bool Poll(Tick now);
  // The program ends: what still waits is recorded untyped, so that no record is lost with it.
  void Abandon();

 private:
  bool Settle(const CodeTyping::Step& step);

  CodeRecorder* recorder_ = nullptr;
  std::unique_ptr<TypingRunner> runner_;
  std::unique_ptr<CodeTyping> typing_;
  bool direct_ = false;
};

}  // namespace varnel
