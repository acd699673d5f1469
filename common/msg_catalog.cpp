#include "common/msg_catalog.h"

#include <cstring>
#include <new>

MsgCatalog::MsgCatalog(MsgSource* source) noexcept : source_(source) {}

SafeString MsgCatalog::Lookup(const char* key) noexcept {
  if (!loaded_.load(std::memory_order_acquire)) {
    std::lock_guard<std::mutex> hold(load_lock_);
    if (!loaded_.load(std::memory_order_relaxed)) {
      if (source_ != nullptr) table_.Load(*source_);
      loaded_.store(true, std::memory_order_release);
    }
  }
  return table_.Find(key);
}

bool MsgNumberList::Add(uint32_t number, const char* key) noexcept {
  if (key == nullptr) return false;
  try {
    Entry entry{number, SafeString(key, std::strlen(key))};
    if (entry.key.Failed()) return false;
    entries_.push_back(std::move(entry));
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

const char* MsgNumberList::Find(uint32_t number) const noexcept {
  for (const auto& entry : entries_)
    if (entry.number == number) return entry.key.CStr();
  return nullptr;
}
