#include "link/windows/automation.h"

#include <windows.h>

#include "process/windows/utf.h"

namespace varnel {
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
        (*deviceId).vt == VT_BSTR && (*deviceId).bstrVal) {
      // A BSTR carries its length, and it is what counts.
      const BSTR id = (*deviceId).bstrVal;
      if (accept(Utf8(std::wstring_view(id, SysStringLen(id))))) return WalkEnd::Accepted;
    }
  }
}

}  // namespace varnel
