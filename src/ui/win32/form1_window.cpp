#include "ui/win32/form1_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "process/program_clock.h"
#include "process/windows/utf.h"
#include "ui/form1_layout.h"
#include "ui/win32/control_ids.h"

namespace varnel {
namespace {

// Fixed single border: a caption and a system menu, no sizing frame, no maximise box.
// No WS_CLIPCHILDREN: the group box paints no background of its own, the window does.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

COLORREF ToColorRef(Color color) {
  const auto decoded = DecodeColor(color);
  if (const auto* system = std::get_if<SystemColor>(&decoded)) return GetSysColor(system->index);
  const Rgb& rgb = std::get<Rgb>(decoded);
  return RGB(rgb.red, rgb.green, rgb.blue);
}

// The reader frame's tool among the tooltips: no control's handle.
constexpr UINT_PTR kReaderTool = 1;

// A control's tool among the tooltips. The reader's frame lets the mouse through to the window:
// its tool is a place of the window, set as the frame is laid out.
TTTOOLINFOW ToolOf(HWND window, ControlKind kind, HWND control) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window;
  tool.uFlags = kind == ControlKind::Frame ? TTF_SUBCLASS : TTF_IDISHWND | TTF_SUBCLASS;
  tool.uId = kind == ControlKind::Frame ? kReaderTool : reinterpret_cast<UINT_PTR>(control);
  return tool;
}

// One control, as the appliers reach it.
struct Target {
  HWND control;
  HWND toolTips;  // null when there are none
  TTTOOLINFOW tool;
};

// One property of a control's state onto the control, when the logic sets it there and it
// changed: each in turn is applied to every control, so none can be left out for one of them.
using Applier = void (*)(const Target& target, const ControlState& now, const ControlState& was);
constexpr Applier kAppliers[] = {
    [](const Target& target, const ControlState& now, const ControlState& was) {
      if (now.caption && now.caption != was.caption) {
        SetWindowTextW(target.control, Utf16(*now.caption).c_str());
      }
    },
    [](const Target& target, const ControlState& now, const ControlState& was) {
      if (now.visible && now.visible != was.visible) {
        ShowWindow(target.control, *now.visible ? SW_SHOWNA : SW_HIDE);
      }
    },
    // Both are painted as the control is drawn, from what was last rendered.
    [](const Target& target, const ControlState& now, const ControlState& was) {
      if (now.backColor != was.backColor || now.fill != was.fill) {
        InvalidateRect(target.control, nullptr, TRUE);
      }
    },
    [](const Target& target, const ControlState& now, const ControlState& was) {
      if (!target.toolTips || !now.toolTip || now.toolTip == was.toolTip) return;
      std::wstring text = Utf16(*now.toolTip);
      TTTOOLINFOW tool = target.tool;
      tool.lpszText = text.data();
      SendMessageW(target.toolTips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    },
};

UINT_PTR TimerEventId(TimerId timer) { return static_cast<UINT_PTR>(timer) + 1; }

// The choices' entries as menu commands: clear of the controls' ids, below the system's own
// commands, and with the four low bits clear, which the system menu keeps for itself.
UINT_PTR ChoiceCommand(ChoiceEntry entry) { return 0x1000 + 0x10 * static_cast<UINT_PTR>(entry); }

void AppendItems(HMENU menu, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    const std::wstring text = Utf16(item.text);
    const UINT flags = MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED) |
                       (item.checked ? MF_CHECKED : MF_UNCHECKED);
    if (!item.entry) {
      HMENU submenu = CreatePopupMenu();
      AppendItems(submenu, item.items);
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), text.c_str());
      continue;
    }
    const UINT_PTR command = ChoiceCommand(*item.entry);
    AppendMenuW(menu, flags, command, text.c_str());
    if (item.radio) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE;
      info.fType = MFT_STRING | MFT_RADIOCHECK;
      SetMenuItemInfoW(menu, static_cast<UINT>(command), FALSE, &info);
    }
  }
}

// The per-monitor DPI functions came after Windows 7: they are looked up, not linked, so the
// program still starts there, at the system DPI.
template <typename Function>
Function User32Function(const char* name) {
  static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

int WindowDpi(HWND hwnd) {
  static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The outer size of a window of this style whose client area is `client`, at `dpi`.
SIZE OuterSize(SIZE client, int dpi) {
  static const auto adjustForDpi =
      User32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  RECT outer{0, 0, client.cx, client.cy};
  if (!adjustForDpi || !adjustForDpi(&outer, kStyle, FALSE, 0, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
  }
  return {outer.right - outer.left, outer.bottom - outer.top};
}

HFONT MakeFont(const ControlFont& look, int dpi) {
  return CreateFontW(-MulDiv(look.hundredthsOfPoint, dpi, 7200), 0, 0, 0,
                     look.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, Utf16(kFontFace).c_str());
}

}  // namespace

Form1Window::~Form1Window() {
  for (auto& [color, brush] : brushes_) DeleteObject(brush);
  for (auto& [look, font] : fonts_) DeleteObject(font);
}

bool Form1Window::Create(HINSTANCE instance) {
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
  // The size follows once the window knows the DPI of the monitor it is on.
  hwnd_ = CreateWindowExW(0, kForm1ClassName, Utf16(kAppTitle).c_str(), kStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                          this);
  return hwnd_ != nullptr;
}

void Form1Window::Load() {
  form_.Load();
  Render();
}

void Form1Window::Show(int showCommand) {
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  SetFocus(Control("Trg"));
}

// F12 reaches capture before any control sees it, whichever has the focus. With Alt held the
// keys come as WM_SYSKEY* messages; the shift state does not matter, so they count the same, and
// go on to their default handling like any other.
void Form1Window::PreviewKey(const MSG& msg) {
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  if (!down && msg.message != WM_KEYUP && msg.message != WM_SYSKEYUP) return;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return;
  const auto code = static_cast<std::int16_t>(msg.wParam);
  // msg.time is the message's GetMessageTime(): when the key moved, on the GetTickCount clock.
  const KeyTime time{static_cast<Tick>(msg.time), static_cast<Tick>(GetTickCount())};
  const bool isAutoRepeat = down && (msg.lParam & (1 << 30)) != 0;  // the key was already down
  input_.WindowKey(code, down, isAutoRepeat, time);
  Render();
}

LRESULT CALLBACK Form1Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self) return self->Handle(hwnd, message, wParam, lParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Form1Window::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (link_) {
    if (const std::optional<LRESULT> result = link_->Handle(hwnd, message, wParam, lParam)) {
      Render();
      return *result;
    }
  }
  switch (message) {
    case WM_CREATE:
      hwnd_ = hwnd;
      BuildControls();
      LayOut(WindowDpi(hwnd), nullptr);
      systemItems_ = GetMenuItemCount(GetSystemMenu(hwnd, FALSE));
      RefreshSystemMenu();
      return 0;
    case WM_INITMENUPOPUP:
      if (HIWORD(lParam)) RefreshSystemMenu();  // the system menu, about to open
      break;
    case WM_SYSCOMMAND:
      if (Chosen(wParam & 0xFFF0)) return 0;
      break;
    case WM_CONTEXTMENU:
      if (ShowContextMenu(lParam)) return 0;
      break;
    case WM_DPICHANGED:
      // Moved to a monitor of another DPI: the system suggests where the window goes.
      LayOut(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_TIMER:
      for (TimerId timer : kTimers) {
        if (wParam == TimerEventId(timer)) {
          input_.TimerTick(timer, TickCount());
        }
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
      if (wParam) input_.Unload();
      return 0;
    case WM_DESTROY:
      input_.Unload();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

int Form1Window::Px(std::int32_t twips) const { return TwipsToPixels(twips, dpi_); }

void Form1Window::BuildControls() {
  for (const ControlLayout& c : layout_) {
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
        // SS_NOTIFY: a static control is otherwise transparent to the mouse, and no tooltip
        // would ever see the pointer over it.
        style |= (c.centred ? SS_CENTER : SS_LEFT) | SS_NOPREFIX | SS_NOTIFY;
        if (c.border) exStyle |= WS_EX_STATICEDGE;
        break;
      case ControlKind::Shape:
        style |= SS_OWNERDRAW;
        break;
    }
    if (!c.visible) style &= ~WS_VISIBLE;
    // Placed by LayOut. The frame sits at the window's origin, so places inside it are the
    // window's own.
    CreateWindowExW(exStyle, windowClass, Utf16(c.caption).c_str(), style, 0, 0, 0, 0, hwnd_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(c.name))), nullptr,
                    nullptr);
  }
  // The frame is created before the controls inside it; keep it beneath them.
  SetWindowPos(Control("frReader"), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  AddToolTips();
}

// Every control the logic gives a tooltip, such as how each hold of the last code was read or the
// way the reader's presses come in; its text comes as it is rendered.
void Form1Window::AddToolTips() {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  toolTips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, nullptr,
                              nullptr);
  if (!toolTips_) return;
  for (const ControlLayout& c : layout_) {
    if (!StateOf(form_.Controls(), c.name).toolTip) continue;
    TTTOOLINFOW tool = ToolOf(hwnd_, c.kind, Control(c.name));
    wchar_t none[] = L"";
    tool.lpszText = none;
    SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Form1Window::PlaceReaderTip() {
  if (!toolTips_) return;
  TTTOOLINFOW frame{};
  frame.cbSize = sizeof frame;
  frame.hwnd = hwnd_;
  frame.uId = kReaderTool;
  GetWindowRect(Control("frReader"), &frame.rect);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&frame.rect), 2);
  SendMessageW(toolTips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&frame));
}

void Form1Window::LayOut(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  std::vector<std::pair<ControlFont, HFONT>> oldFonts;
  oldFonts.swap(fonts_);
  for (const ControlLayout& c : layout_) {
    HWND control = Control(c.name);
    MoveWindow(control, Px(c.left), Px(c.top), Px(c.width), Px(c.height), FALSE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font(c.font)), FALSE);
  }
  for (auto& [look, font] : oldFonts) DeleteObject(font);
  PlaceReaderTip();
  // The link's tip has lines of its own; a long one wraps at this width.
  if (toolTips_) SendMessageW(toolTips_, TTM_SETMAXTIPWIDTH, 0, Px(7200));

  const SIZE client{Px(kClientWidthTwips), Px(kClientHeightTwips)};
  SIZE outer = OuterSize(client, dpi);
  RECT now;
  GetWindowRect(hwnd_, &now);
  const POINT corner =
      suggested ? POINT{suggested->left, suggested->top} : POINT{now.left, now.top};
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (outerWidthTwips_) outer.cx = Px(outerWidthTwips_);
    SetWindowPos(hwnd_, nullptr, corner.x, corner.y, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame may differ from what was asked for (a system that scales no frames): the
    // client area is what must come out right.
    RECT got;
    GetClientRect(hwnd_, &got);
    outer.cx += client.cx - got.right;
    outer.cy += client.cy - got.bottom;
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
}

HWND Form1Window::Control(const std::string& name) const {
  return GetDlgItem(hwnd_, ControlId(name));
}

HFONT Form1Window::Font(const ControlFont& look) {
  for (const auto& [made, font] : fonts_) {
    if (made == look) return font;
  }
  return fonts_.emplace_back(look, MakeFont(look, dpi_)).second;
}

const ControlLayout* Form1Window::LayoutOf(HWND control) const {
  const int id = GetDlgCtrlID(control);
  for (const ControlLayout& c : layout_) {
    if (ControlId(c.name) == id) return &c;
  }
  return nullptr;
}

const ControlState* Form1Window::ShownOf(HWND control) const {
  const ControlLayout* c = LayoutOf(control);
  return c ? &shown_[static_cast<std::size_t>(c - layout_.data())] : nullptr;
}

HBRUSH Form1Window::Brush(COLORREF color) {
  HBRUSH& brush = brushes_[color];
  if (!brush) brush = CreateSolidBrush(color);
  return brush;
}

LRESULT Form1Window::ColorStatic(HDC dc, HWND control) {
  const ControlState* shown = ShownOf(control);
  const COLORREF background =
      ToColorRef(shown && shown->backColor ? *shown->backColor : kColorButtonFace);
  const ControlLayout* look = LayoutOf(control);
  if (look && look->foreColor) SetTextColor(dc, ToColorRef(*look->foreColor));
  SetBkColor(dc, background);
  return reinterpret_cast<LRESULT>(Brush(background));
}

void Form1Window::DrawShape(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, Brush(ToColorRef(kColorButtonFace)));
  const ControlState* shown = ShownOf(item.hwndItem);
  const bool solid = shown && shown->fill == FillStyle::Solid;
  const ControlLayout* look = LayoutOf(item.hwndItem);
  HGDIOBJ oldBrush = SelectObject(
      item.hDC, solid && look ? static_cast<HGDIOBJ>(Brush(ToColorRef(look->fillColor)))
                              : GetStockObject(NULL_BRUSH));
  HGDIOBJ oldPen = SelectObject(item.hDC, GetStockObject(BLACK_PEN));
  const RECT& r = item.rcItem;
  const int side = std::min(r.right - r.left, r.bottom - r.top);
  Ellipse(item.hDC, r.left, r.top, r.left + side, r.top + side);
  SelectObject(item.hDC, oldPen);
  SelectObject(item.hDC, oldBrush);
}

// Brings the controls up to date with the logic's properties.
void Form1Window::Render() {
  for (std::size_t i = 0; i < layout_.size(); ++i) {
    ControlState now = StateOf(form_.Controls(), layout_[i].name);
    if (now == shown_[i]) continue;
    // Recorded first: a control may be drawn while its change is applied.
    const ControlState was = std::exchange(shown_[i], std::move(now));
    HWND control = Control(layout_[i].name);
    const Target target{control, toolTips_, ToolOf(hwnd_, layout_[i].kind, control)};
    for (Applier apply : kAppliers) apply(target, shown_[i], was);
  }
}

void Form1Window::RefreshSystemMenu() {
  HMENU menu = GetSystemMenu(hwnd_, FALSE);
  if (!menu || !choices_ || systemItems_ <= 0) return;
  while (GetMenuItemCount(menu) > systemItems_) DeleteMenu(menu, systemItems_, MF_BYPOSITION);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendItems(menu, choices_->Items());
}

// A right click on the window's caption or frame is the system menu's; from the keyboard (Shift+
// F10, the menu key) the menu opens at the window's corner.
bool Form1Window::ShowContextMenu(LPARAM where) {
  if (!choices_) return false;
  POINT at{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
  const bool fromKeyboard = at.x == -1 && at.y == -1;
  POINT inside = at;
  ScreenToClient(hwnd_, &inside);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (!fromKeyboard && !PtInRect(&client, inside)) return false;
  if (fromKeyboard) {
    at = {0, 0};
    ClientToScreen(hwnd_, &at);
  }
  HMENU menu = CreatePopupMenu();
  AppendItems(menu, choices_->Items());
  const UINT_PTR command = static_cast<UINT_PTR>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr));
  DestroyMenu(menu);
  Chosen(command);
  return true;
}

bool Form1Window::Chosen(UINT_PTR command) {
  if (!choices_) return false;
  for (const ChoiceEntry entry : kChoiceEntries) {
    if (ChoiceCommand(entry) != command) continue;
    choices_->Choose(entry);
    Render();
    return true;
  }
  return false;
}

void Form1Window::SetTimerEnabled(TimerId timer, bool enabled) {
  // SetTimer on a running timer's id restarts its period.
  if (enabled) {
    SetTimer(hwnd_, TimerEventId(timer), static_cast<UINT>(TimerInterval(timer)), nullptr);
  } else {
    KillTimer(hwnd_, TimerEventId(timer));
  }
}

void Form1Window::ShowWarning(const std::string& text, const std::string& title) {
  MessageBoxW(hwnd_, Utf16(text).c_str(), Utf16(title).c_str(), MB_ICONEXCLAMATION | MB_OK);
}

void Form1Window::SetOuterWidth(std::int32_t twips) {
  outerWidthTwips_ = twips;
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  SetWindowPos(hwnd_, nullptr, 0, 0, Px(twips), outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace varnel
