// The identifier-to-text pairs of a message catalogue and the sources that
// fill them.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>

#include "common/msg_status.h"
#include "common/safe_string.h"

// One message: ordered and compared by key alone.
struct MsgPair {
  SafeString key;
  SafeString text;
};

class MsgTable;

// Where a table's pairs come from: the message file or a built-in table.
class MsgSource {
 public:
  // Adds the source's pairs to `table`.
  virtual void Load(MsgTable& table) = 0;
  virtual ~MsgSource() = default;
};

class MsgTable {
 public:
  // The source's pairs, then sorted; a copy of the status.
  MsgStatus Load(MsgSource& source);
  // Sorts the pairs by key, keeping pairs of equal keys in the order they
  // were added, so that the first one added is the one found.
  void Sort();
  // The text of the pair with exactly this key, else "<" key ">". A null
  // key records the out-of-memory error and gives an empty text. Call on a
  // sorted table; a result whose building ran out of memory has its flag set.
  SafeString Find(const char* key) const noexcept;

  // Appends a pair; one that cannot be allocated or copied is not added.
  void Add(const SafeString& key, const SafeString& text) noexcept;
  void Add(const char* key, const char* text) noexcept;

  size_t Count() const noexcept { return pairs_.size(); }
  const MsgPair& Pair(size_t index) const { return *pairs_[index]; }
  MsgStatus Status() const;

 private:
  void AddPair(std::unique_ptr<MsgPair> pair) noexcept;

  std::deque<std::unique_ptr<MsgPair>> pairs_;
  // Lookups run in many threads at once; a failing one records its error.
  mutable std::mutex status_lock_;
  mutable MsgStatus status_;
};
