// win32-probe: reads the running Varnel window as a user sees it, for the tests under Wine.
//   win32-probe dismiss-warning   closes the start-up warning box with OK; prints its text
//   win32-probe controls          prints "name<TAB>text<TAB>visible" for each control
//   win32-probe close             asks the window to close, as its close box does
// Exits 1 when the window it needs is not there (yet).
#include <windows.h>

#include <cstdio>
#include <string>

#include "ui/form1_layout.h"
#include "ui/win32/control_ids.h"

namespace {

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring Text(HWND window) {
  wchar_t buffer[256] = {};
  GetWindowTextW(window, buffer, 256);
  return buffer;
}

// The message box is a dialog titled like the program; its text is its static control's.
BOOL CALLBACK FindStaticText(HWND child, LPARAM found) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (std::wstring(cls) == L"Static" && !Text(child).empty()) {
    *reinterpret_cast<std::wstring*>(found) = Text(child);
    return FALSE;
  }
  return TRUE;
}

int DismissWarning() {
  HWND box = FindWindowW(L"#32770", L"Varnel");
  if (!box) return 1;
  std::wstring text;
  EnumChildWindows(box, FindStaticText, reinterpret_cast<LPARAM>(&text));
  std::printf("%s\n", Utf8(text).c_str());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return 0;
}

int Controls() {
  HWND window = FindWindowW(varnel::kForm1ClassName, L"Varnel");
  if (!window) return 1;
  RECT outer;
  GetWindowRect(window, &outer);
  std::printf("Form1\t%s\t%d\t%ld\n", Utf8(Text(window)).c_str(), IsWindowVisible(window) ? 1 : 0,
              outer.right - outer.left);
  for (const varnel::ControlLayout& c : varnel::Form1Layout()) {
    HWND control = GetDlgItem(window, varnel::ControlId(c.name));
    if (!control) {
      std::printf("%s\t(missing)\t0\n", c.name.c_str());
      continue;
    }
    std::printf("%s\t%s\t%d\n", c.name.c_str(), Utf8(Text(control)).c_str(),
                IsWindowVisible(control) ? 1 : 0);
  }
  return 0;
}

int Close() {
  HWND window = FindWindowW(varnel::kForm1ClassName, L"Varnel");
  if (!window) return 1;
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc == 2 ? argv[1] : "";
  if (command == "dismiss-warning") return DismissWarning();
  if (command == "controls") return Controls();
  if (command == "close") return Close();
  std::fprintf(stderr, "usage: win32-probe dismiss-warning | controls | close\n");
  return 2;
}
