#include "link/hook_watch.h"

namespace varnel {

void HookWatch::RawKey(Tick time) {
  if (!pending_) pending_ = time;
}

bool HookWatch::Missed(Tick now, Tick hookSaw) {
  if (!pending_ || TickDiff(now, *pending_) < kHookJudgeAfterMs) return false;
  const Tick key = *pending_;
  pending_.reset();
  return TickDiff(key, hookSaw) > kHookStampSlackMs;
}

}  // namespace varnel
