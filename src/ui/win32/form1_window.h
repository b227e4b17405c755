// The main window on Windows: renders the window logic's control properties with plain user32
// controls and translates the window's key messages and timer ticks for its input. It decides
// nothing itself.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "output/code_recorder.h"
#include "ui/choices_menu.h"
#include "ui/form1.h"
#include "ui/form1_layout.h"
#include "ui/form1_state.h"
#include "ui/form_input.h"
#include "ui/win32/link_messages.h"

namespace varnel {

class Form1Window final : private FormPort {
 public:
  // Every code goes to `recorder` too, unless it is null.
  Form1Window(LockKeyPort& light, KeyboardLister& keyboards, CodeRecorder* recorder = nullptr)
      : form_(light, keyboards, *this) {
    input_.Outlet().SetRecorder(recorder);
  }
  ~Form1Window();
  Form1Window(const Form1Window&) = delete;
  Form1Window& operator=(const Form1Window&) = delete;

  bool Create(HINSTANCE instance);
  // Where each decided code goes out.
  CodeOutlet& Outlet() { return input_.Outlet(); }
  // The menu that a right click opens, and whose entries the system menu holds too; none
  // without it. Before Create.
  void SetChoices(ChoicesMenu* choices) { choices_ = choices; }
  // The window's load step; call once, before the window is first shown.
  void Load();
  void Show(int showCommand);
  // Key preview: every key message of the thread passes here before it is dispatched.
  void PreviewKey(const MSG& msg);

  HWND Window() const { return hwnd_; }
  // The way in for a link that hears the reader without the focus.
  LinkListener& Input() { return input_; }
  // The link's messages go to `link` first.
  void SetLinkMessages(LinkMessages* link) { link_ = link; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  int Px(std::int32_t twips) const;
  void BuildControls();
  // Places the window, its controls and their fonts for `dpi`; the window keeps its top left
  // corner unless `suggested` gives a new one.
  void LayOut(int dpi, const RECT* suggested);
  HWND Control(const std::string& name) const;
  const ControlLayout* LayoutOf(HWND control) const;
  // What the control shows now of the logic's state; null for a window not of the layout.
  const ControlState* ShownOf(HWND control) const;
  // The font of that look at the DPI laid out for, made the first time it is asked for.
  HFONT Font(const ControlFont& look);
  HBRUSH Brush(COLORREF color);
  LRESULT ColorStatic(HDC dc, HWND control);
  void DrawShape(const DRAWITEMSTRUCT& item);
  void AddToolTips();
  // The reader frame's tip follows the frame wherever it is laid out.
  void PlaceReaderTip();
  void Render();
  // The choices' entries, as they are now, at the end of the system menu.
  void RefreshSystemMenu();
  // The choices' menu, for WM_CONTEXTMENU at `where`: whether it was shown.
  bool ShowContextMenu(LPARAM where);
  // A menu command of the choices' entries: whether it was one.
  bool Chosen(UINT_PTR command);

  void SetTimerEnabled(TimerId timer, bool enabled) override;
  void ShowWarning(const std::string& text, const std::string& title) override;
  void SetOuterWidth(std::int32_t twips) override;

  Form1 form_;
  // Windows flags every auto-repeat itself.
  FormInput input_{form_, *this};
  HWND hwnd_ = nullptr;
  LinkMessages* link_ = nullptr;
  int dpi_ = 96;
  // The outer width the logic asked for, or 0 for the design width.
  std::int32_t outerWidthTwips_ = 0;
  const std::vector<ControlLayout> layout_ = Form1Layout();
  // For the DPI laid out for.
  std::vector<std::pair<ControlFont, HFONT>> fonts_;
  // By control, in the layout's order: what was last rendered.
  std::vector<ControlState> shown_ = std::vector<ControlState>(layout_.size());
  HWND toolTips_ = nullptr;
  std::map<COLORREF, HBRUSH> brushes_;
  ChoicesMenu* choices_ = nullptr;
  // The system's own items of the system menu, before the choices'.
  int systemItems_ = 0;
};

}  // namespace varnel
