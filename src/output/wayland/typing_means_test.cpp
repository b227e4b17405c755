#include "output/wayland/typing_means.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

const std::vector<std::string> kWeston{"wl_compositor", "wl_seat", "xdg_wm_base",
                                       "weston_desktop_shell"};

TEST(WaylandMeans, MutterServingRemoteDesktopIsTakenFirst) {
  const WaylandChoice choice =
      ChooseWaylandMeans({true, {"wl_seat", "zwp_virtual_keyboard_manager_v1"}});
  EXPECT_EQ(choice.means, WaylandMeans::MutterRemoteDesktop);
}

TEST(WaylandMeans, AVirtualKeyboardWhereTheRegistryOffersOne) {
  std::vector<std::string> kwin{"org_kde_kwin_fake_input", "zwp_virtual_keyboard_manager_v1"};
  EXPECT_EQ(ChooseWaylandMeans({false, {"wl_seat", "zwp_virtual_keyboard_manager_v1"}}).means,
            WaylandMeans::VirtualKeyboard);
  EXPECT_EQ(ChooseWaylandMeans({false, kwin}).means, WaylandMeans::VirtualKeyboard);
}

TEST(WaylandMeans, KdePlasmaIsRefusedByName) {
  const WaylandChoice choice = ChooseWaylandMeans({false, {"wl_seat", "org_kde_kwin_fake_input"}});
  EXPECT_EQ(choice.means, WaylandMeans::None);
  EXPECT_NE(choice.refusal.find("KDE Plasma"), std::string::npos) << choice.refusal;
}

TEST(WaylandMeans, ACompositorWithNeitherIsRefusedInOneLineNamingBoth) {
  const WaylandChoice choice = ChooseWaylandMeans({false, kWeston});
  EXPECT_EQ(choice.means, WaylandMeans::None);
  EXPECT_TRUE(choice.refusal.starts_with("varnel: --type on Wayland needs")) << choice.refusal;
  EXPECT_NE(choice.refusal.find("org.gnome.Mutter.RemoteDesktop"), std::string::npos);
  EXPECT_NE(choice.refusal.find("zwp_virtual_keyboard_manager_v1"), std::string::npos);
  EXPECT_EQ(choice.refusal.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace varnel
