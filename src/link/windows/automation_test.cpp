// The walk over a keyboard collection, on a small in-process collection that speaks the same
// interfaces as the management service's: IDispatch with _NewEnum, IEnumVARIANT, IDispatch items.
#include "link/windows/automation.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "link/reader_presence.h"

namespace varnel {
namespace {

// Reference counting and QueryInterface for one interface; the objects live on the test's stack
// and outlive every reference to them.
template <typename Interface>
struct Unknown : Interface {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = (iid == IID_IUnknown || iid == __uuidof(Interface)) ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  ULONG references = 0;
};

// An object with a property or method of one name; `get` fills the result.
struct Object : Unknown<IDispatch> {
  Object(const wchar_t* name, std::function<HRESULT(VARIANT*)> get) : name(name), get(get) {}
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* id) override {
    *id = 1;
    return std::wstring(names[0]) == name ? S_OK : DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    return id == (name.empty() ? DISPID_NEWENUM : 1) ? get(result) : DISP_E_MEMBERNOTFOUND;
  }
  std::wstring name;
  std::function<HRESULT(VARIANT*)> get;
};

// A keyboard: its DeviceID, null when missing.
struct Keyboard : Object {
  explicit Keyboard(std::optional<std::wstring> id)
      : Object(L"DeviceID", [id](VARIANT* result) {
          result->vt = id ? VT_BSTR : VT_NULL;
          if (id) result->bstrVal = SysAllocString(id->c_str());
          return S_OK;
        }) {}
};

// The items, in order; the walk fails where an item is a failure.
struct Items : Unknown<IEnumVARIANT> {
  using Item = std::function<HRESULT(VARIANT*)>;
  explicit Items(std::vector<Item> items) : items(std::move(items)) {}
  HRESULT STDMETHODCALLTYPE Next(ULONG, VARIANT* item, ULONG* fetched) override {
    *fetched = 0;
    if (next == items.size()) return S_FALSE;
    ++taken;
    const HRESULT result = items[next++](item);
    if (result == S_OK) *fetched = 1;
    return result;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }
  std::vector<Item> items;
  std::size_t next = 0;
  std::size_t taken = 0;
};

Items::Item Dispatch(IDispatch& object) {
  return [&object](VARIANT* item) {
    object.AddRef();
    item->vt = VT_DISPATCH;
    item->pdispVal = &object;
    return S_OK;
  };
}
const Items::Item kNumber = [](VARIANT* item) {
  item->vt = VT_I4;
  item->lVal = 7;
  return S_OK;
};
const Items::Item kFailure = [](VARIANT*) { return E_FAIL; };

// Walks the items as the reader check does; `taken`: how many items the walk asked for.
WalkEnd Walk(std::vector<Items::Item> list, std::size_t* taken = nullptr) {
  Items items(std::move(list));
  Object collection(L"", [&](VARIANT* result) {
    items.AddRef();
    result->vt = VT_UNKNOWN;
    result->punkVal = &items;
    return S_OK;
  });
  const WalkEnd end = WalkDeviceIds(&collection, [](const std::string& id) {
    return modReader::HasIdentity(id, kReaderIdentity);
  });
  EXPECT_EQ(items.references, 0u) << "every item and the enumerator are released";
  if (taken) *taken = items.taken;
  return end;
}

TEST(WalkDeviceIds, StopsAtTheFirstReaderWhateverItsCaseAndWhateverFollows) {
  Keyboard ps2(L"ACPI\\PNP0303\\4&1D401FB5&0"), upper(L"USB\\VID_04D9&PID_1603&MI_00\\7&2F&0&0"),
      lower(L"usb\\vid_04d9&pid_1603&mi_00\\8&1a&0&0");
  std::size_t taken = 0;
  EXPECT_EQ(Walk({Dispatch(ps2), Dispatch(upper), kFailure}, &taken), WalkEnd::Accepted);
  EXPECT_EQ(taken, 2u);
  EXPECT_EQ(Walk({Dispatch(lower), Dispatch(ps2)}, &taken), WalkEnd::Accepted);
  EXPECT_EQ(taken, 1u);
  EXPECT_EQ(Walk({Dispatch(ps2)}), WalkEnd::Exhausted);
  EXPECT_EQ(Walk({}), WalkEnd::Exhausted);
}

TEST(WalkDeviceIds, PassesOverItemsWithoutAnIdentifier) {
  Keyboard missing(std::nullopt), reader(L"USB\\VID_04D9&PID_1603&MI_00\\7&2F&0&0");
  Object noDeviceId(L"Name", [](VARIANT* result) {
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocString(L"USB\\VID_04D9&PID_1603&MI_00\\x");
    return S_OK;
  });
  EXPECT_EQ(Walk({Dispatch(missing), kNumber, Dispatch(noDeviceId), Dispatch(reader)}),
            WalkEnd::Accepted);
}

TEST(WalkDeviceIds, AFailureBeforeTheReaderEndsTheWalk) {
  Keyboard reader(L"USB\\VID_04D9&PID_1603&MI_00\\7&2F&0&0");
  EXPECT_EQ(Walk({kFailure, Dispatch(reader)}), WalkEnd::Failed);
  Object notACollection(L"Count", [](VARIANT*) { return S_OK; });
  EXPECT_EQ(WalkDeviceIds(&notACollection, [](const std::string&) { return true; }),
            WalkEnd::Failed);
}

}  // namespace
}  // namespace varnel
