// A coverage-guided fuzzer over the window's logic: bytes become F12 presses and repeats (some of
// them handled late, as after a stall), other keys, the passing of time (the three timers firing
// when due), codes cut by their key source going away, and jumps of the tick counter and of the
// input system's event clock.
// After every step the window must keep every invariant; the sanitizers watch the rest.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "ui/form1_invariants.h"

namespace {

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  std::uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint32_t Next32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Next();
    return v;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Tick counter readings near its boundaries, where differences wrap.
constexpr varnel::Tick kEdges[] = {0, 1, -1, INT_MAX, INT_MIN, INT_MAX - 100, INT_MIN + 100, -900};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes in(data, size);
  varnel::SimulatedLoop loop(static_cast<varnel::Tick>(in.Next32()));
  if (in.Next() & 1) {
    loop.keyboards.ids = varnel::KeyboardIds{"USB\\VID_04D9&PID_1603&MI_00\\1"};
  }
  loop.light.SetOn(in.Next() & 1);  // whatever the light was before the program started
  std::uint8_t op = 0;
  const auto check = [&] {
    const std::string broken = varnel::BrokenInvariant(loop);
    if (!broken.empty()) {
      std::fprintf(stderr, "invariant broken after op %u: %s\n", op, broken.c_str());
      std::abort();
    }
  };
  const auto run = [&](std::int64_t ms) { loop.RunUntil(loop.Now() + ms, check); };

  loop.Load();
  while (!in.Empty()) {
    op = in.Next();
    // Events that waited in the queue: stamped up to about two seconds before they are handled.
    const auto happened = [&]() -> std::optional<std::int64_t> {
      if (!(op & 0x40)) return std::nullopt;
      return loop.Now() - in.Next() * 8;
    };
    switch (op % 8) {
      case 0:
        loop.F12Down(op & 0x80, happened());
        break;
      case 1:
        loop.F12Up(op & 0x80, happened());
        break;
      case 2: {
        const auto key = static_cast<std::int16_t>(in.Next());
        if (op & 0x80) {
          loop.input.WindowKey(key, false, op & 0x40, loop.At());
        } else {
          loop.input.WindowKey(key, true, op & 0x40, loop.At());
        }
        break;
      }
      case 3:  // a few ms: the span of a hold or a gap
        run(in.Next());
        break;
      case 4:  // up to a few seconds: the watchdog and the displays at work
        run(in.Next() * 16);
        break;
      case 5:  // a long quiet spell, or the key source gone in the middle of a code
        if (op & 0x80) {
          loop.form.CutCode(op & 0x40);
        } else {
          run(in.Next() * 100);
        }
        break;
      case 6:
      case 7: {
        const varnel::Tick to = op % 8 == 6 ? kEdges[in.Next() % std::size(kEdges)]
                                            : static_cast<varnel::Tick>(in.Next32());
        if (op & 0x80) {
          loop.JumpEventClock(to);
        } else {
          loop.JumpTick(to);
        }
        break;
      }
    }
    check();
  }
  return 0;
}
