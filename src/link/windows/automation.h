// Late-bound automation, as the management service speaks it: objects reached through IDispatch
// by member name, collections walked through their _NewEnum.
#pragma once

#include <objbase.h>
#include <oleauto.h>

#include <functional>
#include <string>

namespace varnel {

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

// A late-bound call or property read by name; the result lands in `result`.
bool InvokeByName(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT argCount,
                  Variant& result);

enum class WalkEnd { Accepted, Exhausted, Failed };

// Walks `collection` item by item, reading each item's DeviceID by name and offering it, as
// UTF-8, to `accept` until it accepts one. Items that are not objects, or whose DeviceID is not
// a text, are passed over. Failed: the collection could not be walked to its end.
WalkEnd WalkDeviceIds(IDispatch* collection, const std::function<bool(const std::string&)>& accept);

}  // namespace varnel
