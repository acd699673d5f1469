// A counted handle to a heap object: copies share the object, and the last
// handle released destroys it through its (virtual) destructor. A handle
// may be empty.
#pragma once

#include <atomic>
#include <cstdint>
#include <new>

template <class T>
class SharedRef {
 public:
  SharedRef() noexcept = default;

  // Takes ownership of `object` (made with new). When the holder cannot be
  // allocated the object is destroyed and the handle is empty.
  static SharedRef Make(T* object) noexcept {
    SharedRef ref;
    if (object == nullptr) return ref;
    ref.holder_ = new (std::nothrow) Holder{object, 1};
    if (ref.holder_ == nullptr) delete object;
    return ref;
  }

  SharedRef(const SharedRef& other) noexcept : holder_(other.holder_) {
    if (holder_ != nullptr) holder_->count.fetch_add(1, std::memory_order_relaxed);
  }
  SharedRef(SharedRef&& other) noexcept : holder_(other.holder_) { other.holder_ = nullptr; }
  SharedRef& operator=(SharedRef other) noexcept {
    Holder* old = holder_;
    holder_ = other.holder_;
    other.holder_ = old;
    return *this;
  }
  ~SharedRef() { Release(); }

  void Release() noexcept {
    if (holder_ != nullptr && holder_->count.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      delete holder_->object;
      delete holder_;
    }
    holder_ = nullptr;
  }

  T* get() const noexcept { return holder_ == nullptr ? nullptr : holder_->object; }
  T* operator->() const noexcept { return get(); }
  T& operator*() const noexcept { return *get(); }
  explicit operator bool() const noexcept { return holder_ != nullptr; }
  bool SameAs(const SharedRef& other) const noexcept { return holder_ == other.holder_; }

 private:
  struct Holder {
    T* object;
    std::atomic<uint32_t> count;
  };
  Holder* holder_ = nullptr;
};
