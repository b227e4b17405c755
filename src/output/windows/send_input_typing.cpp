#include "output/windows/send_input_typing.h"

#include <algorithm>
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

std::optional<DWORD> IntegrityLevel(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
  std::optional<DWORD> level;
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size && GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) {
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
    const PSID sid = label->Label.Sid;
    level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u);
  }
  CloseHandle(token);
  return level;
}

std::optional<std::wstring> InputDesktop() {
  HDESK desktop = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
  if (!desktop) return std::nullopt;
  wchar_t name[256] = {};
  DWORD needed = 0;
  std::optional<std::wstring> result;
  if (GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name - sizeof *name, &needed)) {
    result = name;
  }
  CloseDesktop(desktop);
  return result;
}

class SendInputTyping final : public TypingPort {
 public:
  SendInputTyping() {
    own_ = IntegrityLevel(GetCurrentProcess()).value_or(SECURITY_MANDATORY_MEDIUM_RID);
  }
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

  std::optional<Untyped> Barred() override {
    std::optional<DWORD> front;
    DWORD process = 0;
    if (HWND window = GetForegroundWindow()) GetWindowThreadProcessId(window, &process);
    if (process) {
      if (HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)) {
        front = IntegrityLevel(handle);
        CloseHandle(handle);
      }
    } else {
      front = own_;  // no window in front: nothing of more rights either
    }
    return TypingBar(InputDesktop(), front, own_);
  }

  bool Type(std::string_view text, TypeEnd end, std::int32_t pauseMs,
            TypingFailure& failure) override {
    std::vector<INPUT> inputs = TypingInputs(text, end);
    // A key is its press and its release; with no pause all go in one call, so that nothing
    // comes between them.
    const std::size_t step = pauseMs > 0 ? 2 : inputs.size();
    for (std::size_t i = 0; i < inputs.size(); i += step) {
      if (i > 0) Sleep(static_cast<DWORD>(pauseMs));
      const UINT count = static_cast<UINT>(std::min(step, inputs.size() - i));
      // The record size is the platform's own, or SendInput rejects the call.
      if (SendInput(count, inputs.data() + i, sizeof(INPUT)) == count) continue;
      // Another desktop's window came in front (UAC's, a locked session), or one of more rights.
      failure = {Untyped::Elevated, "the system refused the keys (SendInput, error " +
                                        std::to_string(GetLastError()) + ")"};
      return false;
    }
    return true;
  }

 private:
  DWORD own_ = SECURITY_MANDATORY_MEDIUM_RID;
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

std::optional<Untyped> TypingBar(const std::optional<std::wstring>& desktop,
                                 const std::optional<DWORD>& front, DWORD own) {
  if (!desktop || _wcsicmp(desktop->c_str(), L"Default") != 0) return Untyped::Locked;
  if (!front || *front > own) return Untyped::Elevated;
  return std::nullopt;
}

std::unique_ptr<TypingPort> OpenSendInputTyping() { return std::make_unique<SendInputTyping>(); }

}  // namespace varnel
