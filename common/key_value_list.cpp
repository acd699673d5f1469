#include "common/key_value_list.h"

#include "common/rec_array.h"

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

const char* SkipSpace(const char* p) {
  while (IsSpace(*p)) ++p;
  return p;
}

}  // namespace

int32_t ParseKeyValueList(RecArray* records, const char* text) {
  if (records == nullptr || ArrElementSize(records) != sizeof(KeyValueRecord)) {
    return kKeyValueNoMemory;
  }
  if (text == nullptr) return kKeyValueOk;
  const char* p = text;
  while (*p != '\0') {
    KeyValueRecord record;
    p = SkipSpace(p);
    record.key = p;
    while (*p != '\0' && *p != '=' && !IsSpace(*p)) ++p;
    record.key_length = static_cast<uint32_t>(p - record.key);
    if (*p == '\0' || record.key_length == 0) return kKeyValueBadKey;
    p = SkipSpace(p);
    if (*p != '=') return kKeyValueMissingEquals;
    p = SkipSpace(p + 1);
    record.value = p;
    while (*p != '\0' && *p != ';') ++p;
    record.value_length = static_cast<uint32_t>(p - record.value);
    if (ArrAppend(records, &record) != kArrOk) return kKeyValueNoMemory;
    p = SkipSpace(p);
    if (*p == ';') ++p;
    p = SkipSpace(p);
  }
  return kKeyValueOk;
}
