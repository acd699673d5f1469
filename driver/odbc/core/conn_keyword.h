// A connection's attributes: one record per known keyword with its value and
// whether it has been given. Each connection gets its own copy of the
// default table and may grow it with keywords the login reply adds.
#pragma once

#include <cstdint>

struct DrvConn;
struct RecArray;

constexpr uint32_t kConnKeywordValueSize = 513;  // at most 512 characters and the NUL

// Kind bits: the low bits name the class.
enum : uint16_t {
  kKeywordSelector = 1,  // DSN, DRIVER
  kKeywordRequired = 2,
  kKeywordOptional = 4,
  kKeywordChoices = 0x1000,   // browse output offers `choices`
  kKeywordUnlisted = 0x2000,  // browse output does not ask for it
};

struct ConnKeyword {
  const char* name;
  uint32_t label;  // message number of the browse label, 0 for none
  uint32_t set;    // 1 once a value has been given
  uint16_t kind;
  char value[kConnKeywordValueSize];
  RecArray* choices;    // text pointers, with kKeywordChoices only
  uint32_t owned_name;  // 1: `name` was allocated for this connection
};

// Positions in the default table.
enum : uint32_t {
  kKeywordDsn = 0,
  kKeywordDriver = 1,
  kKeywordServerName = 2,
  kKeywordServerDsn = 3,
  kKeywordUid = 4,
  kKeywordPwd = 5,
  kKeywordArrayFetchOn = 6,
  kKeywordArrayBufferSize = 7,
  kKeywordAsyncEnable = 8,
  kKeywordDmAccess = 9,
  kKeywordLoginTimeout = 10,
  kDefaultKeywordCount = 11,
};

extern const ConnKeyword kDefaultConnKeywords[kDefaultKeywordCount];

// Clears every keyword's set flag and empties its value.
void ClearConnectKeywords(DrvConn* connection);
