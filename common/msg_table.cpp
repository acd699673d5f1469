#include "common/msg_table.h"

#include <algorithm>
#include <new>

namespace {

bool KeyLess(const std::unique_ptr<MsgPair>& a, const std::unique_ptr<MsgPair>& b) {
  return a->key < b->key;
}

}  // namespace

MsgStatus MsgTable::Load(MsgSource& source) {
  source.Load(*this);
  Sort();
  return Status();
}

void MsgTable::Sort() {
  std::stable_sort(pairs_.begin(), pairs_.end(), KeyLess);
}

SafeString MsgTable::Find(const char* key) const noexcept {
  SafeString result;
  if (key == nullptr) {
    std::lock_guard<std::mutex> hold(status_lock_);
    status_.Append(MsgOutOfMemoryStatus());
    return result;
  }
  auto it =
      std::lower_bound(pairs_.begin(), pairs_.end(), key,
                       [](const std::unique_ptr<MsgPair>& p, const char* k) { return p->key < k; });
  if (it != pairs_.end() && (*it)->key == key) {
    result.Assign((*it)->text);
    return result;
  }
  result.AppendChars("<").AppendChars(key).AppendChars(">");
  return result;
}

void MsgTable::AddPair(std::unique_ptr<MsgPair> pair) noexcept {
  if (pair == nullptr || pair->key.Failed() || pair->text.Failed()) return;
  try {
    pairs_.push_back(std::move(pair));
  } catch (const std::bad_alloc&) {
  }
}

void MsgTable::Add(const SafeString& key, const SafeString& text) noexcept {
  std::unique_ptr<MsgPair> pair(new (std::nothrow) MsgPair);
  if (pair == nullptr) return;
  pair->key.Assign(key);
  pair->text.Assign(text);
  AddPair(std::move(pair));
}

void MsgTable::Add(const char* key, const char* text) noexcept {
  std::unique_ptr<MsgPair> pair(new (std::nothrow) MsgPair);
  if (pair == nullptr) return;
  pair->key.Assign(key);
  pair->text.Assign(text);
  AddPair(std::move(pair));
}

MsgStatus MsgTable::Status() const {
  std::lock_guard<std::mutex> hold(status_lock_);
  return status_;
}
