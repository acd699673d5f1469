// One result column as the driver describes it to the application: kept in
// the statement's result-column array (index = column - 1), its texts in
// the statement's result pool, which goes with the result set.
#pragma once

#include <cstdint>

// A scale of this value means the column has none; it is reported as 0.
constexpr int16_t kNoScale = -9999;

// Attribute bits of a result column.
enum : uint32_t {
  kColNullable = 1u << 0,
  kColNullabilityKnown = 1u << 1,
  kColCaseSensitive = 1u << 2,
  kColSearchMask = (1u << 3) | (1u << 4),
  kColSearchBasic = 1u << 3,  // searchable except with LIKE
  kColSearchLike = 1u << 4,   // searchable with LIKE only
  kColValueRetrieval = 1u << 5,
  kColSigned = 1u << 6,
  kColMoney = 1u << 7,
  kColAutoIncrement = 1u << 8,
  kColUpdatable = 1u << 10,
};

struct ColumnDesc {
  int16_t type_index;  // into the connection's server data-type table
  uint32_t length;     // octet length
  uint32_t display_size;
  uint32_t precision;
  int16_t scale;          // kNoScale when none
  uint32_t retrieval[2];  // cleared before each fetched row
  uint32_t attributes;    // kCol... bits
  char* label;            // the five texts live in the result pool
  char* owner;
  char* table;
  char* qualifier;
  char* name;
  void* binding[2];          // cleared by unbinding; pointer-sized: they may hold addresses
  uint16_t sql_type;         // as the server's description gives it
  uint32_t returned_length;  // bytes of the current value already handed out
};
