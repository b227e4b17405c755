#include "output/wayland/virtual_keyboard_keymap.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace varnel {
namespace {

// The keymap as a compositor reads it, with none of the system's xkb data to fall back on.
struct Compiled {
  std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context{
      xkb_context_new(static_cast<xkb_context_flags>(XKB_CONTEXT_NO_DEFAULT_INCLUDES |
                                                     XKB_CONTEXT_NO_ENVIRONMENT_NAMES)),
      xkb_context_unref};
  std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap{
      xkb_keymap_new_from_string(context.get(), VirtualKeymapText().c_str(),
                                 XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS),
      xkb_keymap_unref};
};

// The one symbol of the key, if it has one level only.
xkb_keysym_t SymOf(xkb_keymap* keymap, std::uint32_t evdev) {
  const xkb_keycode_t code = evdev + 8;
  if (xkb_keymap_num_layouts_for_key(keymap, code) != 1 ||
      xkb_keymap_num_levels_for_key(keymap, code, 0) != 1) {
    return XKB_KEY_NoSymbol;
  }
  const xkb_keysym_t* syms = nullptr;
  return xkb_keymap_key_get_syms_by_level(keymap, code, 0, 0, &syms) == 1 ? syms[0]
                                                                          : XKB_KEY_NoSymbol;
}

TEST(VirtualKeymap, EachTypedKeyHasItsOneSymbolOnItsOnlyLevel) {
  Compiled compiled;
  ASSERT_TRUE(compiled.keymap) << VirtualKeymapText();
  for (char c = '0'; c <= '9'; ++c) {
    const std::optional<std::uint32_t> key = VirtualKeyFor(c);
    ASSERT_TRUE(key) << c;
    EXPECT_EQ(SymOf(compiled.keymap.get(), *key), static_cast<xkb_keysym_t>(c)) << c;
  }
  EXPECT_EQ(SymOf(compiled.keymap.get(), *VirtualKeyFor(TypeEnd::Enter)), XKB_KEY_Return);
  EXPECT_EQ(SymOf(compiled.keymap.get(), *VirtualKeyFor(TypeEnd::Tab)), XKB_KEY_Tab);
  EXPECT_FALSE(VirtualKeyFor(TypeEnd::None));
  EXPECT_FALSE(VirtualKeyFor('a'));
}

TEST(VirtualKeymap, HoldsNoOtherKeyAndNoModifier) {
  Compiled compiled;
  ASSERT_TRUE(compiled.keymap);
  int withSymbols = 0;
  xkb_keymap_key_for_each(
      compiled.keymap.get(),
      [](xkb_keymap* keymap, xkb_keycode_t code, void* count) {
        if (xkb_keymap_num_layouts_for_key(keymap, code) > 0) ++*static_cast<int*>(count);
      },
      &withSymbols);
  EXPECT_EQ(withSymbols, 12);
  xkb_state* state = xkb_state_new(compiled.keymap.get());
  xkb_state_update_key(state, *VirtualKeyFor('1') + 8, XKB_KEY_DOWN);
  EXPECT_EQ(xkb_state_serialize_mods(state, XKB_STATE_MODS_EFFECTIVE), 0u);
  xkb_state_unref(state);
}

}  // namespace
}  // namespace varnel
