#pragma once
// Owns one reference to a COM interface and releases it exactly once.

#include <unknwn.h>

#include <utility>

namespace browse {

template <class Interface>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(ComPtr&& other) noexcept : pointer_(other.Detach()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  Interface* Get() const noexcept { return pointer_; }
  Interface* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  // For the out-parameter of a call that hands over a reference.
  Interface** Receive() noexcept {
    Reset();
    return &pointer_;
  }
  void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }

  Interface* Detach() noexcept { return std::exchange(pointer_, nullptr); }
  void Reset(Interface* adopted = nullptr) noexcept {
    Interface* old = std::exchange(pointer_, adopted);
    if (old) old->Release();
  }

  // Asks the object for another of its interfaces; empty when it has none.
  template <class Other>
  ComPtr<Other> As(REFIID iid) const noexcept {
    ComPtr<Other> other;
    if (pointer_) pointer_->QueryInterface(iid, other.ReceiveVoid());
    return other;
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace browse
