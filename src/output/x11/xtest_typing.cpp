#include "output/x11/xtest_typing.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/scrnsaver.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "output/x11/key_strokes.h"

namespace varnel {
namespace {

class XTestTyping final : public TypingPort {
 public:
  XTestTyping(Display* display, int xkbEvent) : display_(display), xkbEvent_(xkbEvent) {
    int event = 0, error = 0;
    saver_ = XScreenSaverQueryExtension(display_, &event, &error);
    XkbSelectEvents(display_, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                    XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
    pidAtom_ = XInternAtom(display_, "_NET_WM_PID", False);
    XDisplayKeycodes(display_, &minKeycode_, &maxKeycode_);
  }
  ~XTestTyping() override {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    if (putter_.joinable()) putter_.join();
    PutBackLent();
    XCloseDisplay(display_);
  }

  bool OwnWindowInFront() override {
    const std::lock_guard lock(mutex_);
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    const Window root = DefaultRootWindow(display_);
    if (focus == PointerRoot) {
      // The keys go to the window under the pointer.
      Window rootReturn = None, child = None;
      int x = 0, y = 0, wx = 0, wy = 0;
      unsigned mask = 0;
      XQueryPointer(display_, root, &rootReturn, &child, &x, &y, &wx, &wy, &mask);
      focus = child;
    }
    for (Window w = focus; w != None && w != root; w = Parent(w)) {
      if (OfThisProcess(w)) return true;
    }
    return false;
  }

  bool ModifierHeld() override {
    const std::lock_guard lock(mutex_);
    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    // Caps Lock and Num Lock are locks, not keys held; they are reckoned with when typing.
    const unsigned numLock = XkbKeysymToModifiers(display_, XK_Num_Lock);
    return ((state.base_mods | state.latched_mods) & ~(LockMask | numLock)) != 0;
  }

  std::optional<Untyped> Barred() override {
    const std::lock_guard lock(mutex_);
    const Window root = DefaultRootWindow(display_);
    if (saver_) {
      XScreenSaverInfo info{};
      if (XScreenSaverQueryInfo(display_, root, &info) && info.state == ScreenSaverOn) {
        return Untyped::Locked;
      }
    }
    // X tells no one who holds the keyboard: asking for it is the way to learn that another
    // program does. Held for no longer than the asking, it is let go at once.
    const int grab =
        XGrabKeyboard(display_, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (grab == GrabSuccess) {
      XUngrabKeyboard(display_, CurrentTime);
      XSync(display_, False);
    }
    if (grab == AlreadyGrabbed || grab == GrabFrozen) return Untyped::Grab;
    return std::nullopt;
  }

  bool Type(std::string_view text, TypeEnd end, std::int32_t pauseMs,
            TypingFailure& failure) override {
    failure.cause = Untyped::Ended;
    std::string& problem = failure.problem;
    const std::lock_guard lock(mutex_);
    NoteMapChanges();
    PutBackLent();
    NoteMapChanges();
    if (!map_ && !ReadMap(problem)) return false;

    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    std::vector<std::uint32_t> syms(text.begin(), text.end());  // digits: their keysym is ASCII
    if (end == TypeEnd::Enter) syms.push_back(XK_Return);
    if (end == TypeEnd::Tab) syms.push_back(XK_Tab);

    std::vector<KeyStroke> strokes;
    std::vector<int> spare;
    for (std::uint32_t sym : syms) {
      if (auto stroke = StrokeFor(*map_, sym, state.group, state.locked_mods)) {
        strokes.push_back(*stroke);
        continue;
      }
      // A symbol the map lacks goes on a key that has none, for as long as it takes every
      // program to read it there.
      if (spare.empty()) spare = SpareKeycodes(*map_, minKeycode_, maxKeycode_);
      auto lent = std::find_if(lent_.begin(), lent_.end(),
                               [sym](const auto& l) { return l.second == sym; });
      if (lent == lent_.end()) {
        if (spare.size() <= lent_.size()) {
          problem = "the keyboard map has no key for '" + Name(sym) + "' and no spare key for it";
          PutBackLent();
          return false;
        }
        lent_.emplace_back(spare[lent_.size()], sym);
        KeySym keysym = sym;
        XChangeKeyboardMapping(display_, lent_.back().first, 1, &keysym, 1);
        lent = lent_.end() - 1;
      }
      strokes.push_back({lent->first, 0});
    }

    std::array<KeyCode, 8> modifierKeys{};
    if (XModifierKeymap* modmap = XGetModifierMapping(display_)) {
      for (int mod = 0; mod < 8; ++mod) {
        for (int i = 0; i < modmap->max_keypermod && !modifierKeys[mod]; ++i) {
          modifierKeys[mod] = modmap->modifiermap[mod * modmap->max_keypermod + i];
        }
      }
      XFreeModifiermap(modmap);
    }
    for (const KeyStroke& stroke : strokes) {
      for (int mod = 0; mod < 8; ++mod) {
        if ((stroke.mods & (1u << mod)) && !modifierKeys[mod]) {
          problem = "no key of the keyboard map sets the modifier it needs";
          PutBackLent();
          return false;
        }
      }
    }
    for (std::size_t i = 0; i < strokes.size(); ++i) {
      if (i > 0 && pauseMs > 0) {
        XSync(display_, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
      }
      const KeyStroke& stroke = strokes[i];
      Modifiers(modifierKeys, stroke.mods, true);
      XTestFakeKeyEvent(display_, static_cast<unsigned>(stroke.keycode), True, CurrentTime);
      XTestFakeKeyEvent(display_, static_cast<unsigned>(stroke.keycode), False, CurrentTime);
      Modifiers(modifierKeys, stroke.mods, false);
    }
    XSync(display_, False);
    if (!lent_.empty()) PutBackLater();
    return true;
  }

 private:
  static std::string Name(std::uint32_t sym) {
    const char* name = XKeysymToString(sym);
    return name ? name : "?";
  }

  void Modifiers(const std::array<KeyCode, 8>& keys, unsigned mods, bool down) {
    for (int mod = 0; mod < 8; ++mod) {
      if (mods & (1u << mod)) XTestFakeKeyEvent(display_, keys[mod], down, CurrentTime);
    }
  }

  Window Parent(Window w) {
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, w, &root, &parent, &children, &count)) return None;
    if (children) XFree(children);
    return parent;
  }

  bool OfThisProcess(Window w) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, w, pidAtom_, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                           &after, &data) != Success) {
      return false;
    }
    const bool ours =
        data && format == 32 && items == 1 &&
        *reinterpret_cast<unsigned long*>(data) == static_cast<unsigned long>(getpid());
    if (data) XFree(data);
    return ours;
  }

  // A change of the keyboard map, ours included, makes it read again before the next use.
  void NoteMapChanges() {
    XSync(display_, False);
    while (XPending(display_)) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        map_.reset();
      } else if (event.type == xkbEvent_) {
        const int kind = reinterpret_cast<XkbAnyEvent*>(&event)->xkb_type;
        if (kind == XkbMapNotify || kind == XkbNewKeyboardNotify) map_.reset();
      }
    }
  }

  bool ReadMap(std::string& problem) {
    XkbDescPtr xkb = XkbGetMap(display_, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!xkb) {
      problem = "the X server does not give its keyboard map";
      return false;
    }
    KeyboardMap map;
    for (int code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
      const auto kc = static_cast<KeyCode>(code);
      MapKey key{code, {}};
      for (int group = 0; group < XkbKeyNumGroups(xkb, kc); ++group) {
        const XkbKeyTypePtr t = XkbKeyKeyType(xkb, kc, group);
        KeyGroup g;
        g.type.mask = t->mods.mask;
        for (int e = 0; e < t->map_count; ++e) {
          if (t->map[e].active) g.type.entries.push_back({t->map[e].mods.mask, t->map[e].level});
        }
        for (int level = 0; level < t->num_levels; ++level) {
          g.syms.push_back(static_cast<std::uint32_t>(XkbKeySymEntry(xkb, kc, level, group)));
        }
        key.groups.push_back(std::move(g));
      }
      map.push_back(std::move(key));
    }
    XkbFreeKeyboard(xkb, 0, True);
    map_ = std::move(map);
    return true;
  }

  // A program reads a changed map only once it hears of the change, maybe after the keys that
  // needed it have gone out: the spare keys keep their symbols for a second, which a thread of
  // the port's own counts so that the window's thread never waits for it.
  void PutBackLater() {
    putBackAt_ = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    if (!putter_.joinable()) {
      putter_ = std::thread([this] {
        std::unique_lock lock(mutex_);
        while (!stop_) {
          if (!putBackAt_) {
            wake_.wait(lock);
          } else if (wake_.wait_until(lock, *putBackAt_) == std::cv_status::timeout && putBackAt_ &&
                     std::chrono::steady_clock::now() >= *putBackAt_) {
            PutBackLent();
          }
        }
      });
    }
    wake_.notify_one();
  }

  // The spare keys lent for the last code go back to having no symbol.
  void PutBackLent() {
    putBackAt_.reset();
    for (const auto& [code, sym] : lent_) {
      KeySym none = NoSymbol;
      XChangeKeyboardMapping(display_, code, 1, &none, 1);
    }
    if (!lent_.empty()) XSync(display_, False);
    lent_.clear();
  }

  Display* display_;
  int xkbEvent_;
  Atom pidAtom_;
  bool saver_ = false;
  int minKeycode_ = 8;
  int maxKeycode_ = 255;
  std::optional<KeyboardMap> map_;
  std::vector<std::pair<int, std::uint32_t>> lent_;  // key code, the symbol lent to it
  // The connection is the window's thread's and the putter's in turn.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<std::chrono::steady_clock::time_point> putBackAt_;
  bool stop_ = false;
  std::thread putter_;
};

}  // namespace

std::unique_ptr<TypingPort> OpenXTestTyping(_XDisplay* windowDisplay, std::string& problem) {
  const std::string displayName = DisplayString(windowDisplay);
  int xkbEvent = 0, xkbError = 0, major = XkbMajorVersion, minor = XkbMinorVersion, reason = 0;
  Display* display =
      XkbOpenDisplay(displayName.c_str(), &xkbEvent, &xkbError, &major, &minor, &reason);
  if (!display) {
    problem = reason == XkbOD_ConnectionRefused
                  ? "cannot open the X display " + displayName
                  : "the X display " + displayName + " has no keyboard extension (XKB)";
    return nullptr;
  }
  int event = 0, error = 0;
  if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
    XCloseDisplay(display);
    problem = "the X display " + displayName + " has no XTest extension";
    return nullptr;
  }
  return std::make_unique<XTestTyping>(display, xkbEvent);
}

}  // namespace varnel
