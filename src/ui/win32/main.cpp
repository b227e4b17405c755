// Varnel on Windows: the main window with plain user32 controls, the light through the input
// queue and the reader check through the management service.
#include <objbase.h>
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "link/lock_key_port.h"
#include "link/reader_presence.h"
#include "ui/form1.h"
#include "ui/form1_layout.h"
#include "ui/win32/control_ids.h"

namespace varnel {
namespace {

std::wstring Wide(const std::string& text) {
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

COLORREF ToColorRef(Color color) {
  // 0x00BBGGRR is COLORREF's own layout; the top bit marks a system colour.
  return (color & 0x80000000u) ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

UINT_PTR TimerEventId(TimerId timer) { return static_cast<UINT_PTR>(timer) + 1; }

class Form1Window final : private FormHost {
 public:
  Form1Window(LockKeyPort& light, KeyboardLister& keyboards) : form_(light, keyboards, *this) {}

  ~Form1Window() {
    for (auto& [color, brush] : brushes_) DeleteObject(brush);
    if (errorFont_) DeleteObject(errorFont_);
  }

  bool Create(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Form1Window::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kForm1ClassName;
    if (!RegisterClassExW(&wc)) return false;

    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);

    // Fixed single border: a caption and a system menu, no sizing frame, no maximise box.
    // No WS_CLIPCHILDREN: the group box paints no background of its own, the window does.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT outer{0, 0, Px(kClientWidthTwips), Px(kClientHeightTwips)};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    hwnd_ = CreateWindowExW(0, kForm1ClassName, Wide(kAppTitle).c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                            nullptr, nullptr, instance, this);
    return hwnd_ != nullptr;
  }

  void Load() {
    form_.Load();
    Render();
  }

  void Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(GetDlgItem(hwnd_, ControlId("Trg")));
  }

  // Key preview: F12 reaches capture before any control sees it, whichever has the focus. With
  // Alt held the keys come as WM_SYSKEY* messages; the shift state does not matter, so they
  // count the same, and go on to their default handling like any other.
  void PreviewKey(const MSG& msg) {
    const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    if (!down && msg.message != WM_KEYUP && msg.message != WM_SYSKEYUP) return;
    if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return;
    const auto code = static_cast<std::int16_t>(msg.wParam);
    // msg.time is the message's GetMessageTime(): when the key moved, on the GetTickCount clock.
    const KeyTime time{static_cast<Tick>(msg.time), static_cast<Tick>(GetTickCount())};
    if (down) {
      const bool isAutoRepeat = (msg.lParam & (1 << 30)) != 0;  // the key was already down
      form_.KeyDown(code, isAutoRepeat, time);
    } else {
      form_.KeyUp(code, false, time);
    }
    Render();
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) return self->Handle(hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        hwnd_ = hwnd;
        BuildControls();
        return 0;
      case WM_TIMER:
        for (TimerId timer : kTimers) {
          if (wParam == TimerEventId(timer))
            form_.TimerTick(timer, static_cast<Tick>(GetTickCount()));
        }
        Render();
        return 0;
      case WM_CTLCOLORSTATIC:
        return ColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      case WM_DRAWITEM:
        DrawShape(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      case WM_ENDSESSION:
        // Windows is logging off and will not send WM_DESTROY: the light must not stay on.
        if (wParam) form_.Unload();
        return 0;
      case WM_DESTROY:
        form_.Unload();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  int Px(std::int32_t twips) const { return TwipsToPixels(twips, dpi_); }

  void BuildControls() {
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const ControlLayout& c : Form1Layout()) {
      const wchar_t* windowClass = L"STATIC";
      DWORD style = WS_CHILD | WS_VISIBLE;
      DWORD exStyle = 0;
      switch (c.kind) {
        case ControlKind::Button:
          windowClass = L"BUTTON";
          style |= BS_PUSHBUTTON | WS_TABSTOP;
          break;
        case ControlKind::Frame:
          windowClass = L"BUTTON";
          style |= BS_GROUPBOX;
          break;
        case ControlKind::Label:
          style |= (c.centred ? SS_CENTER : SS_LEFT) | SS_NOPREFIX;
          if (c.border) exStyle |= WS_EX_STATICEDGE;
          break;
        case ControlKind::Shape:
          style |= SS_OWNERDRAW;
          break;
      }
      if (c.name == "lblErr") style &= ~WS_VISIBLE;
      // The frame sits at the window's origin, so places inside it are the window's own.
      HWND control = CreateWindowExW(
          exStyle, windowClass, Wide(c.caption).c_str(), style, Px(c.left), Px(c.top), Px(c.width),
          Px(c.height), hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(c.name))),
          nullptr, nullptr);
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    // The frame is created before the controls inside it; keep it beneath them.
    SetWindowPos(Control("frReader"), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    HDC screen = GetDC(hwnd_);
    errorFont_ =
        CreateFontW(-MulDiv(825, GetDeviceCaps(screen, LOGPIXELSY), 7200), 0, 0, 0, FW_BOLD, FALSE,
                    FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    ReleaseDC(hwnd_, screen);
    SendMessageW(Control("lblErr"), WM_SETFONT, reinterpret_cast<WPARAM>(errorFont_), FALSE);
  }

  HWND Control(const std::string& name) const { return GetDlgItem(hwnd_, ControlId(name)); }

  HBRUSH Brush(COLORREF color) {
    HBRUSH& brush = brushes_[color];
    if (!brush) brush = CreateSolidBrush(color);
    return brush;
  }

  LRESULT ColorStatic(HDC dc, HWND control) {
    const Form1Controls& s = form_.Controls();
    COLORREF background = GetSysColor(COLOR_BTNFACE);
    if (control == Control("Valore")) background = ToColorRef(s.Valore.BackColor);
    if (control == Control("lblErr")) SetTextColor(dc, ToColorRef(kColorRed));
    SetBkColor(dc, background);
    return reinterpret_cast<LRESULT>(Brush(background));
  }

  void DrawShape(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, Brush(GetSysColor(COLOR_BTNFACE)));
    const bool solid = form_.Controls().Sh1FillStyle == FillStyle::Solid;
    HGDIOBJ oldBrush =
        SelectObject(item.hDC, solid ? static_cast<HGDIOBJ>(Brush(ToColorRef(kColorRed)))
                                     : GetStockObject(NULL_BRUSH));
    HGDIOBJ oldPen = SelectObject(item.hDC, GetStockObject(BLACK_PEN));
    const RECT& r = item.rcItem;
    const int side = std::min(r.right - r.left, r.bottom - r.top);
    Ellipse(item.hDC, r.left, r.top, r.left + side, r.top + side);
    SelectObject(item.hDC, oldPen);
    SelectObject(item.hDC, oldBrush);
  }

  void SetText(const std::string& name, const std::string& text) {
    const std::wstring wide = Wide(text);
    wchar_t current[64] = {};
    GetWindowTextW(Control(name), current, 64);
    if (wide != current) SetWindowTextW(Control(name), wide.c_str());
  }

  // Brings the controls up to date with the logic's properties.
  void Render() {
    const Form1Controls& s = form_.Controls();
    SetText("lblCnt", s.lblCnt.Caption);
    for (std::size_t i = 0; i < s.Bit.size(); ++i) {
      SetText(BitName(static_cast<int>(i)), s.Bit[i].Caption);
    }
    SetText("Valore", s.Valore.Caption);
    SetText("lblErr", s.lblErr.Caption);
    if (s.Valore.BackColor != shownValoreColor_) {
      shownValoreColor_ = s.Valore.BackColor;
      InvalidateRect(Control("Valore"), nullptr, TRUE);
    }
    if (s.Sh1FillStyle != shownFill_) {
      shownFill_ = s.Sh1FillStyle;
      InvalidateRect(Control("Sh1"), nullptr, TRUE);
    }
    HWND error = Control("lblErr");
    if ((IsWindowVisible(error) != FALSE) != s.lblErr.Visible) {
      ShowWindow(error, s.lblErr.Visible ? SW_SHOWNA : SW_HIDE);
    }
  }

  void SetTimerEnabled(TimerId timer, bool enabled) override {
    // SetTimer on a running timer's id restarts its period.
    if (enabled) {
      SetTimer(hwnd_, TimerEventId(timer), static_cast<UINT>(TimerInterval(timer)), nullptr);
    } else {
      KillTimer(hwnd_, TimerEventId(timer));
    }
  }

  void ShowWarning(const std::string& text, const std::string& title) override {
    MessageBoxW(hwnd_, Wide(text).c_str(), Wide(title).c_str(), MB_ICONEXCLAMATION | MB_OK);
  }

  void SetOuterWidth(std::int32_t twips) override {
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    SetWindowPos(hwnd_, nullptr, 0, 0, Px(twips), outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  Form1 form_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  HFONT errorFont_ = nullptr;
  std::map<COLORREF, HBRUSH> brushes_;
  Color shownValoreColor_ = kColorButtonFace;
  FillStyle shownFill_ = FillStyle::Transparent;
};

}  // namespace
}  // namespace varnel

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // The reader check talks to the management service through COM.
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  int exitCode = 1;
  {
    std::unique_ptr<varnel::LockKeyPort> light = varnel::OpenSystemLockKeyPort();
    std::unique_ptr<varnel::KeyboardLister> keyboards = varnel::OpenSystemKeyboardLister();
    varnel::Form1Window window(*light, *keyboards);
    if (window.Create(instance)) {
      window.Load();
      window.Show(showCommand);
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        window.PreviewKey(msg);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      exitCode = static_cast<int>(msg.wParam);
    }
  }
  if (com) CoUninitialize();
  return exitCode;
}
