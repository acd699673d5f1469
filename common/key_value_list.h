// Splitting "key=value; key=value" texts (connection strings, the login
// reply) into records that point into the text; nothing is copied.
#pragma once

#include <cstdint>

struct RecArray;

struct KeyValueRecord {
  const char* key;
  uint32_t key_length;
  const char* value;
  uint32_t value_length;
};

constexpr int32_t kKeyValueOk = 0;
constexpr int32_t kKeyValueBadKey = -8;  // an empty key, or the text ends after a key
constexpr int32_t kKeyValueMissingEquals = -9;
constexpr int32_t kKeyValueNoMemory = -10;  // also: no array, or one of another record size

// Appends one KeyValueRecord per pair to `records` (an array of
// sizeof(KeyValueRecord) elements). White space around keys and before
// values is skipped; a value runs to the next ";" or the end, keeping white
// space inside and at its end. Parsing stops at the first error; records
// appended before it stay. A null text is an empty one.
int32_t ParseKeyValueList(RecArray* records, const char* text);
