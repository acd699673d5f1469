#include "driver/odbc/core/arg_copy.h"

#include <climits>
#include <cstring>

#include "common/memory.h"
#include "driver/odbc/core/message_ids.h"

namespace {

constexpr int32_t kNts = -3;
constexpr int32_t kNullData = -1;

bool CountsAsOne(char next, char escape) {
  return next == escape || next == '_' || next == '%';
}

}  // namespace

int32_t PatternLength(const char* text, int32_t length, int32_t, char escape) {
  if (text == nullptr) return 0;
  if (escape == '\0' && length == kNts) return static_cast<int32_t>(std::strlen(text));
  size_t end = length == kNts ? std::strlen(text) : static_cast<size_t>(length);
  int32_t count = 0;
  for (size_t i = 0; i < end; ++i) {
    if (escape != '\0' && text[i] == escape && i + 1 < end && CountsAsOne(text[i + 1], escape)) {
      ++i;
    }
    ++count;
  }
  return count;
}

uint32_t CopyInString(ArgCopy* copy, const char* text, int32_t length, int32_t max_length,
                      char escape) {
  copy->text = nullptr;
  copy->owned = 0;
  if (text == nullptr || length == kNullData) return kMsgErrSuccess;
  if (length < 0 && length != kNts) return kMsgErrInvalStrLen;
  if (max_length == kNoLengthLimit && length == kNts) {
    copy->text = text;
    return kMsgErrSuccess;
  }
  int32_t count = PatternLength(text, length, max_length, escape);
  if (max_length == 0) return kMsgErrDriverIncapable;
  if (max_length != kNoLengthLimit && count > max_length) return kMsgErrInvalStrLen;
  if (length == kNts) {
    copy->text = text;
    return kMsgErrSuccess;
  }
  auto* owned = static_cast<char*>(MemAlloc(static_cast<size_t>(length) + 1));
  if (owned == nullptr) return kMsgErrOutOfMemory;
  if (length > 0) std::memcpy(owned, text, static_cast<size_t>(length));
  owned[length] = '\0';
  copy->text = owned;
  copy->owned = 1;
  return kMsgErrSuccess;
}

void FreeArgCopy(ArgCopy* copies, uint32_t count) {
  if (copies == nullptr) return;
  for (uint32_t i = 0; i < count; ++i) {
    if (copies[i].owned) MemFree(const_cast<char*>(copies[i].text));
    copies[i].text = nullptr;
    copies[i].owned = 0;
  }
}

int CopyOutString(char* destination, const char* source, int32_t size, int32_t* length) {
  if (source == nullptr) source = "";
  if (size < 0) size = 0;
  size_t n = std::strlen(source);
  if (length != nullptr) *length = n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
  if (n < static_cast<size_t>(size)) {
    if (destination != nullptr) std::memcpy(destination, source, n + 1);
    return 0;
  }
  if (destination != nullptr && size > 0) {
    std::memcpy(destination, source, static_cast<size_t>(size) - 1);
    destination[size - 1] = '\0';
  }
  return 1;
}

int CopyOutString(char* destination, const char* source, int32_t size, int16_t* length) {
  int32_t full = 0;
  int cut = CopyOutString(destination, source, size, &full);
  if (length != nullptr) *length = full > INT16_MAX ? INT16_MAX : static_cast<int16_t>(full);
  return cut;
}
