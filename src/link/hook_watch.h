// Whether the keyboard hook is still there. Windows removes a low-level hook that answers too
// late, and says nothing; but every key goes to the hook as it goes to raw input, so a hook that
// has seen no key since one that raw input reported has gone. The two are told of a key in
// either order (Wine makes the raw input first), so a key is judged only a moment later, and
// within a few milliseconds of the hook's last it is one the hook has seen.
#pragma once

#include <cstdint>
#include <optional>

#include "reception/tick.h"

namespace varnel {

// How long after its time a key is judged, and by how much the two stamps of one key may differ.
inline constexpr std::int32_t kHookJudgeAfterMs = 250;
inline constexpr std::int32_t kHookStampSlackMs = 50;

class HookWatch {
 public:
  // Raw input reported a key at `time`.
  void RawKey(Tick time);
  // Whether, at `now`, a hook that last saw a key (or was installed) at `hookSaw` has missed a
  // key it should have seen by then. Each key is judged once.
  bool Missed(Tick now, Tick hookSaw);

 private:
  // The oldest key not judged yet: any later one the hook sees tells it is there.
  std::optional<Tick> pending_;
};

}  // namespace varnel
