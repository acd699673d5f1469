// The errors gathered while a message catalogue is built and used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/safe_string.h"
#include "common/shared_ref.h"

// One entry of a status.
class MsgError {
 public:
  virtual ~MsgError() = default;
  virtual const char* Text() const = 0;
  // A category word, e.g. "Failure".
  virtual const char* Type() const = 0;
  virtual const char* Code() const { return ""; }
  virtual int32_t Number() const { return 0; }
};

// The process's one out-of-memory error.
class MsgOutOfMemory : public MsgError {
 public:
  const char* Text() const override { return "Out of memory."; }
  const char* Type() const override;  // the process-wide "Failure"
  const char* Code() const override { return "M0001"; }
};

// The type word of every failure.
extern const char* const kMsgFailureType;

// A shared list of errors: copies of a status share one list. An empty
// status has no list until its first add.
class MsgStatus {
 public:
  MsgStatus() noexcept = default;

  // When the error cannot be recorded, this status becomes the process-wide
  // out-of-memory status. That status is never added to: it already says
  // what went wrong.
  void Add(const SharedRef<MsgError>& error) noexcept;
  // Adds every error of `other`; nothing when it is the same list or empty.
  void Append(const MsgStatus& other) noexcept;

  size_t Count() const noexcept;
  bool HasErrors() const noexcept { return Count() != 0; }
  bool HasErrorOfType(const char* type) const noexcept;
  // Each error as Type ": " Text, then "    Code: " code when there is one,
  // then "    Number: " number when it is not 0, then the separator.
  SafeString Text(const char* separator) const noexcept;

 private:
  using List = std::vector<SharedRef<MsgError>>;
  bool IsOutOfMemory() const noexcept;
  SharedRef<List> list_;

  friend const MsgStatus& MsgOutOfMemoryStatus();
};

// A status holding one MsgOutOfMemory, built at start-up.
const MsgStatus& MsgOutOfMemoryStatus();
