// One message catalogue: identifier-to-text over a source that is read at
// the first lookup, and the built-in number-to-identifier list beside it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "common/msg_status.h"
#include "common/msg_table.h"
#include "common/safe_string.h"

class MsgCatalog {
 public:
  // Takes ownership of `source`.
  explicit MsgCatalog(MsgSource* source) noexcept;
  MsgCatalog(const MsgCatalog&) = delete;
  MsgCatalog& operator=(const MsgCatalog&) = delete;

  // The key's text (see MsgTable::Find). The first lookup reads the source;
  // it is read exactly once, also when several threads make their first
  // lookup together and also when it yields no pair at all.
  SafeString Lookup(const char* key) noexcept;
  MsgStatus Status() const { return table_.Status(); }

 private:
  MsgTable table_;
  std::unique_ptr<MsgSource> source_;
  std::mutex load_lock_;
  std::atomic<bool> loaded_{false};
};

// Message numbers to identifiers, in the order added; the first entry with
// a number wins.
class MsgNumberList {
 public:
  // False when the entry cannot be stored.
  bool Add(uint32_t number, const char* key) noexcept;
  // The key of the first entry with the number, or null.
  const char* Find(uint32_t number) const noexcept;

 private:
  struct Entry {
    uint32_t number;
    SafeString key;
  };
  std::vector<Entry> entries_;
};
