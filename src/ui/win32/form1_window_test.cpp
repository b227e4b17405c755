// The Windows window in-process (under Wine here), with a fake light: the fonts its controls draw
// with, which a test in another process cannot read.
#include "ui/win32/form1_window.h"

#include <gtest/gtest.h>

#include "light/fake_lock_key_port.h"
#include "ui/form1_layout.h"
#include "ui/win32/control_ids.h"

namespace varnel {
namespace {

struct ReaderAttached : KeyboardLister {
  std::optional<KeyboardIds> KeyboardDeviceIds() override {
    return KeyboardIds{"USB\\VID_04D9&PID_1603&MI_00\\7&1&0"};
  }
};

// Every text a control shows at one time or another.
std::vector<std::wstring> Captions(const ControlLayout& c) {
  if (c.name == "lblErr") return {L"ERRORE", L"Parit\u00e0", L"Timeout"};
  if (c.name == "Valore") return {L"0", L"255"};
  if (c.kind == ControlKind::Shape) return {};
  if (c.name.rfind("Bit(", 0) == 0) return {L"0", L"1"};
  return {std::wstring(c.caption.begin(), c.caption.end())};
}

TEST(Win32Form1Window, EveryCaptionFitsItsControlAtEitherDpi) {
  FakeLockKeyPort light;
  ReaderAttached keyboards;
  Form1Window window(light, keyboards);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
  window.Load();
  HWND hwnd = FindWindowW(kForm1ClassName, L"Varnel");
  ASSERT_NE(hwnd, nullptr);
  HDC dc = GetDC(hwnd);
  for (int dpi : {96, 144}) {
    // The places are checked end to end; what another process cannot see is the fonts.
    RECT outer;
    GetWindowRect(hwnd, &outer);
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&outer));
    for (const ControlLayout& c : Form1Layout()) {
      SCOPED_TRACE(c.name + " at " + std::to_string(dpi) + " dpi");
      HWND control = GetDlgItem(hwnd, ControlId(c.name));
      const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
      ASSERT_NE(font, nullptr);
      SelectObject(dc, font);
      wchar_t face[LF_FACESIZE] = {};
      GetTextFaceW(dc, LF_FACESIZE, face);
      EXPECT_STREQ(face, L"Tahoma") << "a font Windows and Wine draw alike";
      RECT room;
      GetClientRect(control, &room);
      for (const std::wstring& caption : Captions(c)) {
        SIZE size;
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        EXPECT_LE(size.cx, room.right) << std::string(caption.begin(), caption.end());
        EXPECT_LE(size.cy, room.bottom) << std::string(caption.begin(), caption.end());
      }
    }
  }
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  ReleaseDC(hwnd, dc);
  DestroyWindow(hwnd);
  EXPECT_FALSE(light.IsOn()) << "closing turns the light off";
}

}  // namespace
}  // namespace varnel
