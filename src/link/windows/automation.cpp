#include "link/windows/automation.h"

#include <windows.h>

namespace varnel {
namespace {

std::string Utf8(BSTR text) {
  const int length = static_cast<int>(SysStringLen(text));
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace

bool InvokeByName(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT argCount,
                  Variant& result) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  DISPPARAMS params{args, nullptr, argCount, 0};
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.get(),
                                  nullptr, nullptr));
}

WalkEnd WalkDeviceIds(IDispatch* collection,
                      const std::function<bool(const std::string&)>& accept) {
  // A collection yields its items through _NewEnum.
  Variant enumerator;
  DISPPARAMS none{};
  if (FAILED(collection->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT,
                                DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, enumerator.get(),
                                nullptr, nullptr)) ||
      (*enumerator).vt != VT_UNKNOWN || !(*enumerator).punkVal) {
    return WalkEnd::Failed;
  }
  ComPtr<IEnumVARIANT> items;
  if (FAILED(
          (*enumerator)
              .punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.Out())))) {
    return WalkEnd::Failed;
  }
  for (;;) {
    Variant item;
    ULONG fetched = 0;
    const HRESULT next = items->Next(1, item.get(), &fetched);
    if (next == S_FALSE) return WalkEnd::Exhausted;
    if (next != S_OK || fetched != 1) return WalkEnd::Failed;
    if ((*item).vt != VT_DISPATCH || !(*item).pdispVal) continue;
    Variant deviceId;
    if (InvokeByName((*item).pdispVal, L"DeviceID", DISPATCH_PROPERTYGET, nullptr, 0, deviceId) &&
        (*deviceId).vt == VT_BSTR && (*deviceId).bstrVal && accept(Utf8((*deviceId).bstrVal))) {
      return WalkEnd::Accepted;
    }
  }
}

}  // namespace varnel
