// The keyboard that types the program's codes into another program: what the window system
// tells of the window in front, of the keys the person holds and of what bars keys from it, and
// the typing itself. Each platform, and each Wayland compositor's means, has one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

// What is typed after a code's digits.
enum class TypeEnd { Enter, Tab, None };

// Why a code was not typed, as its record names it.
enum class Untyped {
  Bad,         // not a good code: nothing to type
  OwnWindow,   // Varnel's own window was in front
  WindowPath,  // heard through Varnel's window, so it was in front
  Modifier,    // the person held a modifier for a second
  Grab,        // another program held the keyboard (a menu, a screen locker)
  Locked,      // the screen was locked, or the screen saver on
  Elevated,    // the window in front runs with more rights than Varnel, or the system refused
  Ended,       // the program ended first, or its means of typing failed or went away
};
// "bad", "own-window", "window-path", "modifier", "grab", "locked", "elevated", "ended".
const char* UntypedName(Untyped cause);

// Why typing failed, and the words for the person.
struct TypingFailure {
  Untyped cause = Untyped::Ended;
  std::string problem;
};

// The calls come from one thread at a time, not always the same one: Type may run on a thread
// of its own, and nothing else is called until it has returned.
class TypingPort {
 public:
  virtual ~TypingPort() = default;

  // Whether the window that keys go to now is one of this program's own.
  virtual bool OwnWindowInFront() = 0;
  // Whether the person holds a modifier now (Shift, Ctrl, Alt, AltGr, Win): typed keys would
  // pick it up, and digits could become a shortcut.
  virtual bool ModifierHeld() = 0;
  // What keeps keys from reaching the window in front now, if anything: Grab, Locked or
  // Elevated. Like a modifier, it is waited out for a second.
  virtual std::optional<Untyped> Barred() { return std::nullopt; }
  // Types `text`, then `end`, into the window in front, `pauseMs` between one key and the next.
  // False, with `failure` filled in, when it could not.
  virtual bool Type(std::string_view text, TypeEnd end, std::int32_t pauseMs,
                    TypingFailure& failure) = 0;
};

}  // namespace varnel
