// The records of one ConfigDSN call: the data source's attributes and the
// context that every step and dialog of the call works on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/module.h"

// Room of every attribute value; lists hold at most kServerListMax
// characters of it.
constexpr size_t kAttrValueSize = 516;

struct AttributeRecord {
  char* keyword;  // from the catalogue (MsgAllocText), or null
  char value[kAttrValueSize];
  uint32_t max_length;  // the most characters the value keeps
  uint32_t truncated;   // 1 when a longer value was cut
  uint32_t given;       // 1 when the attribute list named the keyword
};

enum : uint32_t {
  kAttrDsn = 0,
  kAttrDescription = 1,
  kAttrServerName = 2,
  kAttrUid = 3,
  kAttrArrayFetchOn = 4,
  kAttrArrayBufferSize = 5,
  kAttrServerDsn = 6,
  kAttrResolved = 7,       // resolved addresses, parallel to kAttrServerName
  kAttrSavedServers = 8,   // kAttrServerName as the secondary-servers dialog found it
  kAttrSavedResolved = 9,  // kAttrResolved likewise
  kAttrCount = 10,
};

constexpr size_t kHelpPathSize = 261;

struct SetupContext {
  void* parent;  // the window ConfigDSN was given; null for a silent call
  PlatModule instance;
  uint32_t silent;
  const char* driver;
  char help_file[kHelpPathSize];
  AttributeRecord* attributes;
  uint32_t count;
  uint32_t is_default;  // the data source is the one named "Default"
};

// A zero-filled table of kAttrCount records with keywords and maximum
// lengths, or null when it cannot be had (nothing is left allocated).
AttributeRecord* AllocAttributeTable();
// Frees the keywords and the table; null is ignored.
void FreeAttributeTable(AttributeRecord* table);

// Sets `value` as the record's value, cut to the record's maximum length
// (and to the room of a value), flagging a cut.
void SetAttributeValue(AttributeRecord* record, const char* value);

// The library's own file name with what follows its last "." made "hlp".
void BuildHelpFilePath(PlatModule instance, char* path, size_t size);
