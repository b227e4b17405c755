// Varnel on Windows: the main window with plain user32 controls, the light through the input
// queue and the reader check through the management service.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "link/lock_key_port.h"
#include "link/reader_presence.h"
#include "ui/win32/form1_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // The manifest asks for the version 6 controls (visual styles); this loads them.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
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
