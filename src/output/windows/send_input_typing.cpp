#include "output/windows/send_input_typing.h"

#include <string>

namespace varnel {
namespace {

INPUT Key(WORD virtualKey, WORD scan, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = scan;
  input.ki.dwFlags = flags;
  input.ki.dwExtraInfo = kTypedKeyMark;
  return input;
}

class SendInputTyping final : public TypingPort {
 public:
  bool OwnWindowInFront() override {
    HWND front = GetForegroundWindow();
    DWORD process = 0;
    if (front) GetWindowThreadProcessId(front, &process);
    return front && process == GetCurrentProcessId();
  }

  bool ModifierHeld() override {
    // AltGr is Ctrl and Alt together.
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN}) {
      if (GetAsyncKeyState(key) & 0x8000) return true;
    }
    return false;
  }

  bool Type(std::string_view text, TypeEnd end, std::string& problem) override {
    std::vector<INPUT> inputs = TypingInputs(text, end);
    // The record size is the platform's own, or SendInput rejects the call.
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent == inputs.size()) return true;
    // Another desktop's window in front (UAC's, a locked session) or one run as administrator.
    problem =
        "the system refused the keys (SendInput, error " + std::to_string(GetLastError()) + ")";
    return false;
  }
};

}  // namespace

std::vector<INPUT> TypingInputs(std::string_view text, TypeEnd end) {
  std::vector<INPUT> inputs;
  for (char c : text) {
    const WORD unit = static_cast<unsigned char>(c);
    inputs.push_back(Key(0, unit, KEYEVENTF_UNICODE));
    inputs.push_back(Key(0, unit, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
  }
  if (end != TypeEnd::None) {
    const WORD key = end == TypeEnd::Enter ? VK_RETURN : VK_TAB;
    const WORD scan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    inputs.push_back(Key(key, scan, 0));
    inputs.push_back(Key(key, scan, KEYEVENTF_KEYUP));
  }
  return inputs;
}

std::unique_ptr<TypingPort> OpenSendInputTyping() { return std::make_unique<SendInputTyping>(); }

}  // namespace varnel
