// win32-probe: reads the running Varnel window as a user and the reader see it, for the tests
// under Wine.
//   win32-probe dismiss-warning [MS]  prints the warning box as "title<TAB>text<TAB>icon<TAB>
//                                     buttons", closes it with OK, then prints the light for MS
//   win32-probe controls              prints "name<TAB>text<TAB>visible" for each control
//   win32-probe light MS              prints "ms state" at each change of the light for MS
//   win32-probe light-cycle MS        the same, but ends as soon as the light has gone on and off
//                                     again (exits 1 if it has not within MS)
//   win32-probe reader-tip            points at the reader frame, where no other control is, and
//                                     prints the text of the tooltip that comes up (exits 1 if
//                                     none comes within 5 s); the pointer then goes back
//   win32-probe windows               prints "process-id<TAB>front" for each main window, front
//                                     1 when it is the foreground window and not minimised
//   win32-probe layout DPI            checks the places of the window and its controls at DPI
//   win32-probe dpi-changed DPI       tells the window it moved to a monitor of DPI
//   win32-probe end-session [on]      tells the window that Windows is logging off
//   win32-probe close [on]            asks the window to close, as its close box does
//                                     (with "on": once the light is on)
// The light is Scroll Lock's state in the system, the one Windows passes to the keyboards. Wine
// copies each change of it into every thread's GetKeyState, the probe's too, which starts off:
// sample from a moment the light is off. (A probe attached to the program's input thread reads
// the same, but its leaving hands the program a fresh key state, off whatever the light is.)
//   win32-probe manifest EXE          prints the application manifest inside EXE
//   win32-probe keys MS               another program in front: a window titled "Varnel probe"
//                                     that prints "ready", then "down|up KEY TIME" for each key
//                                     message it gets (KEY F12, SCROLL or the code in hex, TIME
//                                     the message's), and "text C" for each character it gets
//                                     as WM_CHAR ("\r" for Enter, "\t" for Tab), for MS or until
//                                     it is closed
//   win32-probe close-keys            closes that window
//   win32-probe menu                  exits 0 while a menu is open (a popup or the system menu)
// Exits 1 when the window it needs is not there (yet), 3 on a fault.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "ui/form1.h"
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

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

HWND MainWindow() { return FindWindowW(varnel::kForm1ClassName, L"Varnel"); }

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

// 32 by 32 pixels: the screen's at `at`, or an icon drawn on `background`.
std::vector<DWORD> Pixels(POINT at, HICON icon, DWORD background) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  if (icon) {
    std::fill_n(static_cast<DWORD*>(bits), 1024, background);
    DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
  } else {
    BitBlt(dc, 0, 0, 32, 32, screen, at.x, at.y, SRCCOPY);
  }
  GdiFlush();
  std::vector<DWORD> pixels(static_cast<const DWORD*>(bits),
                            static_cast<const DWORD*>(bits) + 1024);
  for (DWORD& p : pixels) p &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Which of the message box icons the box shows, told by the pixels on the screen (an icon
// handle means nothing outside the program that loaded it).
std::string IconName(HWND box) {
  for (HWND child : Children(box)) {
    if (ClassOf(child) != L"Static" || !(GetWindowLongW(child, GWL_STYLE) & SS_ICON)) continue;
    RECT r;
    GetWindowRect(child, &r);
    const std::vector<DWORD> shown = Pixels({r.left, r.top}, nullptr, 0);
    const std::pair<WORD, const char*> icons[] = {
        {32515, "exclamation"}, {32513, "hand"}, {32514, "question"}, {32516, "asterisk"}};
    for (const auto& [id, name] : icons) {
      const auto drawn = Pixels({}, LoadIconW(nullptr, MAKEINTRESOURCEW(id)), shown[0]);
      int differ = 0;
      for (std::size_t i = 0; i < shown.size(); ++i) differ += shown[i] != drawn[i];
      if (differ < 20) return name;
    }
    return "other";
  }
  return "none";
}

// The light for `ms` milliseconds: "t state" at the start and at each change, t in ms. With
// `oneCycle`, only until it has been on and gone off again.
int Light(int ms, bool oneCycle = false) {
  const DWORD start = GetTickCount();
  int last = -1;
  bool wasOn = false;
  for (DWORD now = start; now - start < static_cast<DWORD>(ms); now = GetTickCount()) {
    const int state = GetKeyState(VK_SCROLL) & 1;
    if (state != last) std::printf("%lu %s\n", now - start, state ? "on" : "off");
    if (oneCycle && wasOn && !state) return 0;
    wasOn = wasOn || state;
    last = state;
    Sleep(10);
  }
  return oneCycle ? 1 : 0;
}

int Windows() {
  EnumWindows(
      [](HWND window, LPARAM) {
        if (ClassOf(window) != varnel::kForm1ClassName) return TRUE;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        const bool front = GetForegroundWindow() == window && !IsIconic(window);
        std::printf("%lu\t%d\n", pid, front ? 1 : 0);
        return TRUE;
      },
      0);
  return 0;
}

int DismissWarning(int lightMs) {
  HWND box = FindWindowW(L"#32770", L"Varnel");
  if (!box || !IsWindowVisible(box)) return 1;
  Sleep(300);  // drawn
  std::wstring text, buttons;
  for (HWND child : Children(box)) {
    if (!IsWindowVisible(child)) continue;
    if (ClassOf(child) == L"Static" && !Text(child).empty()) text = Text(child);
    if (ClassOf(child) == L"Button") buttons += (buttons.empty() ? L"" : L",") + Text(child);
  }
  std::printf("%s\t%s\t%s\t%s\n", Utf8(Text(box)).c_str(), Utf8(text).c_str(),
              IconName(box).c_str(), Utf8(buttons).c_str());
  std::fflush(stdout);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return lightMs > 0 ? Light(lightMs) : 0;
}

int Controls() {
  HWND window = MainWindow();
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

// Varnel's tooltip window that shows now, if one does.
HWND ShownTip(DWORD pid) {
  struct Search {
    DWORD pid;
    HWND tip;
  } search{pid, nullptr};
  EnumWindows(
      [](HWND window, LPARAM found) {
        auto& s = *reinterpret_cast<Search*>(found);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s.pid || ClassOf(window) != L"tooltips_class32") return TRUE;
        if (!IsWindowVisible(window)) return TRUE;
        s.tip = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.tip;
}

int ReaderTip() {
  HWND window = MainWindow();
  if (!window) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  RECT frame;
  GetWindowRect(GetDlgItem(window, varnel::ControlId("frReader")), &frame);
  // The frame's first place, clear of its border, that no other control covers by 3 pixels.
  auto free = [&](POINT at) {
    for (const varnel::ControlLayout& c : varnel::Form1Layout()) {
      RECT r;
      HWND control = GetDlgItem(window, varnel::ControlId(c.name));
      if (c.kind == varnel::ControlKind::Frame || !IsWindowVisible(control)) continue;
      GetWindowRect(control, &r);
      InflateRect(&r, 3, 3);
      if (PtInRect(&r, at)) return false;
    }
    return true;
  };
  std::optional<POINT> spot;
  for (LONG y = frame.top + 12; !spot && y < frame.bottom - 6; y += 2) {
    for (LONG x = frame.left + 6; !spot && x < frame.right - 6; x += 2) {
      if (free({x, y})) spot = POINT{x, y};
    }
  }
  if (!spot) return 3;
  POINT before;
  GetCursorPos(&before);
  SetCursorPos(spot->x, spot->y);
  int shown = 1;
  for (int i = 0; i < 100; ++i) {
    if (HWND tip = ShownTip(pid)) {
      wchar_t text[1024] = {};
      DWORD_PTR got = 0;
      SendMessageTimeoutW(tip, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                          2000, &got);
      if (text[0]) {
        std::printf("%s\n", Utf8(text).c_str());
        shown = 0;
        break;
      }
    }
    // A pointer that rests in the same place long enough shows the tip; a nudge back and forth
    // stands for a hand that is never quite still, should the first move have gone unseen.
    if (i % 20 == 19) SetCursorPos(spot->x + (i / 20) % 2, spot->y);
    Sleep(50);
  }
  SetCursorPos(before.x, before.y);
  return shown;
}

int Layout(int dpi) {
  HWND window = MainWindow();
  if (!window) return 1;
  int faults = 0;
  auto fault = [&](const std::string& what) {
    std::printf("%s\n", what.c_str());
    ++faults;
  };
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  if (outer.right - outer.left != varnel::TwipsToPixels(varnel::kRunningOuterWidthTwips, dpi)) {
    fault("outer width " + std::to_string(outer.right - outer.left));
  }
  if (client.bottom != varnel::TwipsToPixels(varnel::kClientHeightTwips, dpi)) {
    fault("client height " + std::to_string(client.bottom));
  }
  for (const varnel::ControlLayout& c : varnel::Form1Layout()) {
    HWND control = GetDlgItem(window, varnel::ControlId(c.name));
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    if (r.left != varnel::TwipsToPixels(c.left, dpi) ||
        r.top != varnel::TwipsToPixels(c.top, dpi) ||
        r.right - r.left != varnel::TwipsToPixels(c.width, dpi) ||
        r.bottom - r.top != varnel::TwipsToPixels(c.height, dpi)) {
      fault(c.name + " at " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
            std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
    }
  }
  return faults ? 3 : 0;
}

// WM_DPICHANGED carries a pointer to the suggested window rectangle, which must lie in the
// program's own memory.
int DpiChanged(int dpi) {
  HWND window = MainWindow();
  if (!window) return 1;
  RECT now;
  GetWindowRect(window, &now);
  const RECT suggested{now.left + 10, now.top + 10, now.right + 10, now.bottom + 10};
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  void* remote = process ? VirtualAllocEx(process, nullptr, sizeof suggested,
                                          MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                         : nullptr;
  if (!remote || !WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr)) {
    return 3;
  }
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  GetWindowRect(window, &now);
  return now.left == suggested.left && now.top == suggested.top ? 0 : 3;
}

// With `whenOn`, waits up to 3 s for the light to be on first.
int Manifest(const char* exe) {
  HMODULE image = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = image ? FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) : nullptr;
  if (!found) return 3;
  std::fwrite(LockResource(LoadResource(image, found)), 1, SizeofResource(image, found), stdout);
  return 0;
}

int Post(UINT message, WPARAM wParam, bool whenOn) {
  HWND window = MainWindow();
  if (!window) return 1;
  for (int i = 0; whenOn && !(GetKeyState(VK_SCROLL) & 1); ++i) {
    if (i == 300) return 3;
    Sleep(10);
  }
  if (whenOn) Sleep(80);  // well inside a blink's 200 ms, long enough for any sampler to see it
  PostMessageW(window, message, wParam, 0);
  return 0;
}

constexpr wchar_t kKeysTitle[] = L"Varnel probe";

LRESULT CALLBACK KeysProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
      const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
      if (down && (lParam & (1 << 30))) return 0;  // an auto-repeat: the key was down
      std::string key = wParam == VK_F12 ? "F12" : wParam == VK_SCROLL ? "SCROLL" : "";
      if (key.empty()) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(wParam));
        key = hex;
      }
      std::printf("%s %s %ld\n", down ? "down" : "up", key.c_str(), GetMessageTime());
      return 0;
    }
    case WM_CHAR: {
      const wchar_t c = static_cast<wchar_t>(wParam);
      const std::string shown = c == L'\r' ? "\\r" : c == L'\t' ? "\\t" : Utf8(std::wstring(1, c));
      std::printf("text %s\n", shown.c_str());
      return 0;
    }
    case WM_TIMER:
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int Keys(int ms) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = KeysProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"VarnelProbeKeys";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(wc.lpszClassName, kKeysTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200,
                              200, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) return 3;
  SetForegroundWindow(window);
  SetTimer(window, 1, static_cast<UINT>(ms), nullptr);
  std::printf("ready\n");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

int CloseKeys() {
  HWND window = FindWindowW(L"VarnelProbeKeys", kKeysTitle);
  if (!window) return 1;
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // what was seen is kept, however the probe ends
  const std::string command = argc >= 2 ? argv[1] : "";
  const int number = argc >= 3 ? std::atoi(argv[2]) : 0;
  if (command == "dismiss-warning") return DismissWarning(number);
  if (command == "controls") return Controls();
  if (command == "light") return Light(number);
  if (command == "light-cycle") return Light(number, true);
  if (command == "windows") return Windows();
  if (command == "reader-tip") return ReaderTip();
  if (command == "layout") return Layout(number);
  if (command == "manifest" && argc == 3) return Manifest(argv[2]);
  if (command == "dpi-changed") return DpiChanged(number);
  if (command == "keys") return Keys(number);
  if (command == "close-keys") return CloseKeys();
  if (command == "menu") {
    const HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? 0 : 1;
  }
  const bool whenOn = argc >= 3 && std::string(argv[2]) == "on";
  if (command == "end-session") return Post(WM_ENDSESSION, TRUE, whenOn);
  if (command == "close") return Post(WM_CLOSE, 0, whenOn);
  std::fprintf(stderr, "usage: see the top of win32_probe.cpp\n");
  return 2;
}
