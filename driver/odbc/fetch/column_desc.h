// One result column as the driver describes it to the application: kept in
// the statement's result-column array (index = column - 1), its texts in
// the statement's result pool, which goes with the result set.
#pragma once

#include <cstdint>

#include "wire/column_desc.h"

struct ColumnDesc {
  int16_t type_index;  // into the connection's server data-type table
  uint32_t length;     // octet length
  uint32_t display_size;
  uint32_t precision;
  int16_t scale;          // kNoScale when none
  uint32_t retrieval[2];  // cleared before each fetched row
  uint32_t attributes;    // kCol... bits, as the server sends them
  char* label;            // the five texts live in the result pool
  char* owner;
  char* table;
  char* qualifier;
  char* name;
  void* binding[2];          // cleared by unbinding; pointer-sized: they may hold addresses
  uint16_t sql_type;         // as the server's description gives it
  uint32_t returned_length;  // bytes of the current value already handed out
};
