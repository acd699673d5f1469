#include "common/msg_status.h"

#include <cstring>
#include <new>

const char* const kMsgFailureType = "Failure";

const char* MsgOutOfMemory::Type() const {
  return kMsgFailureType;
}

const MsgStatus& MsgOutOfMemoryStatus() {
  static const MsgStatus status = [] {
    MsgStatus s;
    s.list_ = SharedRef<MsgStatus::List>::Make(new MsgStatus::List);
    s.list_->push_back(SharedRef<MsgError>::Make(new MsgOutOfMemory));
    return s;
  }();
  return status;
}

namespace {
// Built while the process starts, not at the first shortage of memory.
[[maybe_unused]] const MsgStatus& g_out_of_memory = MsgOutOfMemoryStatus();
}  // namespace

bool MsgStatus::IsOutOfMemory() const noexcept {
  return list_.SameAs(MsgOutOfMemoryStatus().list_);
}

void MsgStatus::Add(const SharedRef<MsgError>& error) noexcept {
  if (!error || IsOutOfMemory()) return;
  try {
    if (!list_) {
      list_ = SharedRef<List>::Make(new List);
      if (!list_) throw std::bad_alloc();
    }
    list_->push_back(error);
  } catch (const std::bad_alloc&) {
    *this = MsgOutOfMemoryStatus();
  }
}

void MsgStatus::Append(const MsgStatus& other) noexcept {
  if (!other.list_ || other.list_.SameAs(list_)) return;
  for (const auto& error : *other.list_) Add(error);
}

size_t MsgStatus::Count() const noexcept {
  return list_ ? list_->size() : 0;
}

bool MsgStatus::HasErrorOfType(const char* type) const noexcept {
  if (!list_ || type == nullptr) return false;
  for (const auto& error : *list_)
    if (std::strcmp(error->Type(), type) == 0) return true;
  return false;
}

SafeString MsgStatus::Text(const char* separator) const noexcept {
  SafeString text;
  if (!list_) return text;
  for (const auto& error : *list_) {
    text.AppendChars(error->Type()).AppendChars(": ").AppendChars(error->Text());
    if (*error->Code() != '\0') text.AppendChars("    Code: ").AppendChars(error->Code());
    if (error->Number() != 0) text.AppendChars("    Number: ").AppendNumber(error->Number());
    text.AppendChars(separator);
  }
  return text;
}
