// The attached keyboards as the management service lists them: "winmgmts:" asked for
// Win32_Keyboard, each object's DeviceID read by name through IDispatch. The caller has
// initialised COM on this thread.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include "link/reader_presence.h"

namespace varnel {
namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }
  const VARIANT& operator*() const { return v_; }

 private:
  VARIANT v_;
};

// Late-bound call or property read by name: the result lands in `result`.
bool InvokeByName(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT argCount,
                  Variant& result) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  DISPPARAMS params{args, nullptr, argCount, 0};
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.get(),
                                  nullptr, nullptr));
}

std::string Utf8(const wchar_t* text, int length) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

class WmiKeyboardLister : public KeyboardLister {
 public:
  std::optional<KeyboardIds> KeyboardDeviceIds() override {
    ComPtr<IDispatch> service;
    if (FAILED(CoGetObject(L"winmgmts:", nullptr, IID_IDispatch,
                           reinterpret_cast<void**>(service.Out())))) {
      return std::nullopt;
    }
    BSTR query = SysAllocString(L"SELECT * FROM Win32_Keyboard");
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = query;
    Variant keyboards;
    const bool queried =
        InvokeByName(service.get(), L"ExecQuery", DISPATCH_METHOD, &arg, 1, keyboards);
    VariantClear(&arg);
    if (!queried || (*keyboards).vt != VT_DISPATCH || !(*keyboards).pdispVal) return std::nullopt;

    // A collection yields its items through _NewEnum.
    Variant enumerator;
    DISPPARAMS none{};
    if (FAILED((*keyboards)
                   .pdispVal->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT,
                                     DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none,
                                     enumerator.get(), nullptr, nullptr)) ||
        (*enumerator).vt != VT_UNKNOWN || !(*enumerator).punkVal) {
      return std::nullopt;
    }
    ComPtr<IEnumVARIANT> items;
    if (FAILED((*enumerator)
                   .punkVal->QueryInterface(IID_IEnumVARIANT,
                                            reinterpret_cast<void**>(items.Out())))) {
      return std::nullopt;
    }

    KeyboardIds ids;
    for (;;) {
      Variant item;
      ULONG fetched = 0;
      if (items->Next(1, item.get(), &fetched) != S_OK || fetched != 1) break;
      if ((*item).vt != VT_DISPATCH || !(*item).pdispVal) continue;
      Variant deviceId;
      if (InvokeByName((*item).pdispVal, L"DeviceID", DISPATCH_PROPERTYGET, nullptr, 0, deviceId) &&
          (*deviceId).vt == VT_BSTR && (*deviceId).bstrVal) {
        ids.push_back(
            Utf8((*deviceId).bstrVal, static_cast<int>(SysStringLen((*deviceId).bstrVal))));
      } else {
        ids.push_back(std::nullopt);  // a keyboard that reports no identifier
      }
    }
    return ids;
  }
};

}  // namespace

std::unique_ptr<KeyboardLister> OpenSystemKeyboardLister() {
  return std::make_unique<WmiKeyboardLister>();
}

}  // namespace varnel
