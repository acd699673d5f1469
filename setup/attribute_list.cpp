#include "setup/attribute_list.h"

#include <cstring>
#include <string_view>

#include "common/str_util.h"
#include "setup/setup_codes.h"

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

AttributeRecord* FindRecord(SetupContext* context, std::string_view key) {
  for (uint32_t i = 0; i < context->count; ++i) {
    AttributeRecord* record = &context->attributes[i];
    if (record->keyword == nullptr) continue;
    if (std::strlen(record->keyword) == key.size() &&
        StrCaseNCompare(record->keyword, key.data(), key.size()) == 0) {
      return record;
    }
  }
  return nullptr;
}

// What a value too long for the record is refused with; 0 when it may be
// cut.
uint32_t OverlongCode(uint32_t index) {
  switch (index) {
    case kAttrDsn:
    case kAttrUid:
      return kCfgBadDsn;
    case kAttrServerDsn:
      return kCfgBadServerDsn;
    case kAttrServerName:
      return kCfgBadServerList;
    default:
      return kCfgDone;
  }
}

}  // namespace

uint32_t ParseAttributes(const char* list, SetupContext* context, std::string* refused) {
  const char* last_value[kAttrCount] = {};
  for (const char* item = list; *item != '\0'; item += std::strlen(item) + 1) {
    const char* key = item;
    while (IsSpace(*key)) ++key;
    const char* equals = std::strchr(key, '=');
    if (equals == nullptr) return kCfgSyntax;
    const char* key_end = equals;
    while (key_end > key && IsSpace(key_end[-1])) --key_end;
    if (key_end == key) return kCfgSyntax;
    AttributeRecord* record = FindRecord(context, std::string_view(key, key_end - key));
    if (record == nullptr) continue;
    // The installer writes values as lines; a line break would add lines
    // of its own to the file.
    if (std::strpbrk(equals + 1, "\r\n") != nullptr) return kCfgSyntax;
    record->given = 1;
    SetAttributeValue(record, equals + 1);
    last_value[record - context->attributes] = equals + 1;
  }
  for (uint32_t i = 0; i < context->count && i < kAttrCount; ++i) {
    uint32_t code = OverlongCode(i);
    if (code == kCfgDone || !context->attributes[i].truncated) continue;
    refused->assign(last_value[i]);
    return code;
  }
  return kCfgDone;
}
