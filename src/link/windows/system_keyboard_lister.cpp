// The attached keyboards as the management service lists them: "winmgmts:" asked for
// Win32_Keyboard, each object's DeviceID read by name through IDispatch. The caller has
// initialised COM on this thread.
#include <objbase.h>
#include <windows.h>

#include "link/reader_presence.h"
#include "link/windows/automation.h"

namespace varnel {
namespace {

class WmiKeyboardLister : public KeyboardLister {
 public:
  std::optional<KeyboardIds> KeyboardDeviceIds() override {
    KeyboardIds ids;
    if (Walk([&](const std::string& id) {
          ids.push_back(id);
          return false;
        }) != WalkEnd::Exhausted) {
      return std::nullopt;
    }
    return ids;
  }

  bool FindKeyboard(const std::function<bool(const std::string&)>& accept) override {
    return Walk(accept) == WalkEnd::Accepted;
  }

 private:
  static WalkEnd Walk(const std::function<bool(const std::string&)>& accept) {
    ComPtr<IDispatch> service;
    if (FAILED(CoGetObject(L"winmgmts:", nullptr, IID_IDispatch,
                           reinterpret_cast<void**>(service.Out())))) {
      return WalkEnd::Failed;
    }
    VARIANT query;
    VariantInit(&query);
    query.vt = VT_BSTR;
    query.bstrVal = SysAllocString(L"SELECT * FROM Win32_Keyboard");
    Variant keyboards;
    const bool queried =
        InvokeByName(service.get(), L"ExecQuery", DISPATCH_METHOD, &query, 1, keyboards);
    VariantClear(&query);
    if (!queried || (*keyboards).vt != VT_DISPATCH || !(*keyboards).pdispVal) {
      return WalkEnd::Failed;
    }
    return WalkDeviceIds((*keyboards).pdispVal, accept);
  }
};

}  // namespace

std::unique_ptr<KeyboardLister> OpenSystemKeyboardLister() {
  return std::make_unique<WmiKeyboardLister>();
}

}  // namespace varnel
