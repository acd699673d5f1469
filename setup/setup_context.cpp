#include "setup/setup_context.h"

#include <cstring>

#include "common/memory.h"
#include "common/messages.h"
#include "setup/setup_codes.h"

namespace {

struct Column {
  uint32_t keyword;
  uint32_t max_length;
};

// Records 0 to 6 in index order; records 7 to 9 have neither.
constexpr Column kColumns[] = {
    {kCfgKeyDsn, 32},       {kCfgKeyDescription, 513}, {kCfgKeyServerName, 256},
    {kCfgKeyUid, 64},       {kCfgKeyArrayFetchOn, 1},  {kCfgKeyArrayBufferSize, 2},
    {kCfgKeyServerDsn, 32},
};

}  // namespace

AttributeRecord* AllocAttributeTable() {
  auto* table = static_cast<AttributeRecord*>(MemAlloc(sizeof(AttributeRecord) * kAttrCount));
  if (table == nullptr) return nullptr;
  for (size_t i = 0; i < sizeof kColumns / sizeof kColumns[0]; ++i) {
    table[i].keyword = MsgAllocText(0, kColumns[i].keyword);
    table[i].max_length = kColumns[i].max_length;
    if (table[i].keyword == nullptr) {
      FreeAttributeTable(table);
      return nullptr;
    }
  }
  return table;
}

void FreeAttributeTable(AttributeRecord* table) {
  if (table == nullptr) return;
  for (uint32_t i = 0; i < kAttrCount; ++i) MsgFreeText(table[i].keyword);
  MemFree(table);
}

void SetAttributeValue(AttributeRecord* record, const char* value) {
  size_t keep = record->max_length;
  if (keep > kAttrValueSize - 1) keep = kAttrValueSize - 1;
  size_t length = std::strlen(value);
  record->truncated = length > keep ? 1 : 0;
  if (length > keep) length = keep;
  std::memcpy(record->value, value, length);
  record->value[length] = '\0';
}

void BuildHelpFilePath(PlatModule instance, char* path, size_t size) {
  if (size == 0) return;
  path[0] = '\0';
  if (PlatModuleFileName(instance, path, size) == 0) return;
  char* dot = std::strrchr(path, '.');
  char* slash = std::strrchr(path, '/');
  if (dot == nullptr || (slash != nullptr && dot < slash)) return;
  if (static_cast<size_t>(dot + 1 - path) + 4 > size) return;
  std::strcpy(dot + 1, "hlp");
}
