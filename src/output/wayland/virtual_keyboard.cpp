#include "output/wayland/virtual_keyboard.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>

#include "output/wayland/virtual_keyboard_keymap.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace varnel {
namespace {

using Clock = std::chrono::steady_clock;

// A seat that had no keyboard before gains one with this one: each program then asks for the
// new keyboard, and keys sent before it has are lost to it. This long is ample for that.
constexpr auto kNewKeyboardSettles = std::chrono::milliseconds(100);

struct Registry {
  bool bind = false;  // the seat and the manager, besides the names
  std::vector<std::string> names;
  wl_registry* registry = nullptr;
  wl_seat* seat = nullptr;
  zwp_virtual_keyboard_manager_v1* manager = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t /*version*/) {
  auto& r = *static_cast<Registry*>(data);
  r.names.emplace_back(interface);
  if (!r.bind) return;
  // The first seat: a desktop has one, and the person's keys come through it.
  if (!r.seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
    r.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (!r.manager &&
             std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
    r.manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
        wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
  }
}
void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}
constexpr wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemove};

// The connection with its registry read: null, with `problem` said, when there is none.
wl_display* Connect(Registry& registry, std::string& problem) {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    problem =
        "cannot connect to the Wayland compositor (" + std::string(std::strerror(errno)) + ")";
    return nullptr;
  }
  registry.registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry.registry, &kRegistryListener, &registry);
  if (wl_display_roundtrip(display) < 0) {
    problem = "the Wayland compositor does not answer";
    wl_display_disconnect(display);
    return nullptr;
  }
  return display;
}

std::string ConnectionError(wl_display* display) {
  const int error = wl_display_get_error(display);
  if (error != EPROTO) {
    return "the connection to the compositor is lost (" + std::string(std::strerror(error)) + ")";
  }
  const wl_interface* interface = nullptr;
  std::uint32_t id = 0;
  const std::uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
  if (interface == &zwp_virtual_keyboard_manager_v1_interface &&
      code == ZWP_VIRTUAL_KEYBOARD_MANAGER_V1_ERROR_UNAUTHORIZED) {
    return "the compositor does not allow Varnel a virtual keyboard";
  }
  return "the compositor ended the connection (error " + std::to_string(code) + " on " +
         (interface ? interface->name : "?") + ")";
}

// The keymap as the compositor maps it: a sealed file in memory, its text ending in a NUL.
int KeymapFile(const std::string& text, std::string& problem) {
  const int fd = memfd_create("varnel-keymap", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) {
    problem = "cannot make the keymap's file (" + std::string(std::strerror(errno)) + ")";
    return -1;
  }
  const char* data = text.c_str();
  std::size_t left = text.size() + 1;
  while (left > 0) {
    const ssize_t n = write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      problem = "cannot write the keymap (" + std::string(std::strerror(errno)) + ")";
      close(fd);
      return -1;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
  return fd;
}

class VirtualKeyboardTyping final : public TypingPort {
 public:
  VirtualKeyboardTyping(wl_display* display, std::unique_ptr<Registry> registry,
                        zwp_virtual_keyboard_v1* keyboard, std::function<bool()> ownWindowActive)
      : display_(display),
        registry_(std::move(registry)),
        keyboard_(keyboard),
        ownWindowActive_(std::move(ownWindowActive)),
        readyAt_(Clock::now() + kNewKeyboardSettles) {}
  ~VirtualKeyboardTyping() override {
    zwp_virtual_keyboard_v1_destroy(keyboard_);
    zwp_virtual_keyboard_manager_v1_destroy(registry_->manager);
    wl_seat_destroy(registry_->seat);
    wl_registry_destroy(registry_->registry);
    wl_display_roundtrip(display_);
    wl_display_disconnect(display_);
  }

  bool OwnWindowInFront() override { return ownWindowActive_(); }
  bool Slow() override { return true; }

  // A Wayland client is told the modifiers only as they apply to its own windows: whether the
  // person holds one on another keyboard is not known here. Nor does it matter much: the
  // compositor gives this keyboard's keys this keyboard's own modifiers, none.
  bool ModifierHeld() override { return false; }

  // A locked screen, a grab: no protocol tells an ordinary client of them.

  bool Type(std::string_view text, TypeEnd end, std::int32_t pauseMs,
            TypingFailure& failure) override {
    failure.cause = Untyped::Ended;
    std::vector<std::uint32_t> keys;
    for (char c : text) {
      const std::optional<std::uint32_t> key = VirtualKeyFor(c);
      if (!key) {
        failure.problem = "Varnel's keymap has no key for '" + std::string(1, c) + "'";
        return false;
      }
      keys.push_back(*key);
    }
    if (const std::optional<std::uint32_t> key = VirtualKeyFor(end)) keys.push_back(*key);
    if (wl_display_get_error(display_)) {
      failure.problem = ConnectionError(display_);
      return false;
    }
    std::this_thread::sleep_until(readyAt_);
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (i > 0 && pauseMs > 0) {
        wl_display_flush(display_);
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
      }
      Key(keys[i], WL_KEYBOARD_KEY_STATE_PRESSED);
      Key(keys[i], WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    // Once the compositor has answered, it has every key.
    if (wl_display_roundtrip(display_) < 0) {
      failure.problem = ConnectionError(display_);
      return false;
    }
    return true;
  }

 private:
  void Key(std::uint32_t key, wl_keyboard_key_state state) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    zwp_virtual_keyboard_v1_key(keyboard_, static_cast<std::uint32_t>(ms.count()), key, state);
  }

  wl_display* display_;
  std::unique_ptr<Registry> registry_;  // where the registry's events go, as long as it lives
  zwp_virtual_keyboard_v1* keyboard_;
  std::function<bool()> ownWindowActive_;
  Clock::time_point readyAt_;
};

}  // namespace

std::vector<std::string> WaylandGlobals(std::string& problem) {
  Registry registry;
  wl_display* display = Connect(registry, problem);
  if (!display) return {};
  wl_registry_destroy(registry.registry);
  wl_display_disconnect(display);
  return registry.names;
}

std::unique_ptr<TypingPort> OpenVirtualKeyboardTyping(std::function<bool()> ownWindowActive,
                                                      std::string& problem) {
  auto registry = std::make_unique<Registry>();
  registry->bind = true;
  wl_display* display = Connect(*registry, problem);
  if (!display) return nullptr;
  const auto fail = [&](std::string why) {
    problem = std::move(why);
    if (registry->manager) zwp_virtual_keyboard_manager_v1_destroy(registry->manager);
    if (registry->seat) wl_seat_destroy(registry->seat);
    wl_registry_destroy(registry->registry);
    wl_display_disconnect(display);
    return nullptr;
  };
  if (!registry->manager) return fail("the compositor offers no virtual keyboard");
  if (!registry->seat) return fail("the compositor has no seat");
  const std::string text = VirtualKeymapText();
  const int keymap = KeymapFile(text, problem);
  if (keymap < 0) return fail(problem);
  zwp_virtual_keyboard_v1* keyboard =
      zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(registry->manager, registry->seat);
  zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, keymap,
                                 static_cast<std::uint32_t>(text.size() + 1));
  close(keymap);
  // A refusal comes back as an error on the connection.
  if (wl_display_roundtrip(display) < 0) {
    zwp_virtual_keyboard_v1_destroy(keyboard);
    return fail(ConnectionError(display));
  }
  return std::make_unique<VirtualKeyboardTyping>(display, std::move(registry), keyboard,
                                                 std::move(ownWindowActive));
}

}  // namespace varnel
