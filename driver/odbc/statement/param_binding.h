// One application parameter as SQLBindParameter left it, with what the
// execution and the data-at-execution calls add to it.
#pragma once

#include <sql.h>

#include <cstdint>

// Binding flags.
enum : uint16_t {
  kParamBound = 2,
  kParamDataReceived = 8,  // SQLPutData since the last SQLParamData
  kParamCharData = 16,     // accumulated data is NUL-terminated
  kParamLongData = 32,     // the value goes to the server as long data
  kParamAtExec = 64,
};

// Parameter types.
enum : uint16_t {
  kParamInput = 1,
  kParamInputOutput = 2,
  kParamOutput = 4,
  kParamReturnValue = 5,
};

// SQL_DATA_AT_EXEC and the indicators of SQL_LEN_DATA_AT_EXEC(n).
constexpr SQLLEN kLenDataAtExecBase = -100;
inline bool IsDataAtExecLength(SQLLEN length) {
  return length == SQL_DATA_AT_EXEC || length <= kLenDataAtExecBase;
}

struct ParamBinding {
  uint16_t number;  // 1-based; 0 in a padding record
  uint16_t param_type;
  int16_t c_type;
  int16_t sql_type;
  uint32_t column_size;
  int16_t scale;
  void* value;  // what is sent: the application's buffer or the accumulated data
  int32_t buffer_length;
  SQLLEN* length;  // the application's indicator, may be null
  uint32_t value_length;
  uint32_t is_null;
  uint16_t flags;
  char* accumulated;
  uint32_t accumulated_capacity;
  uint32_t accumulated_length;
  void* app_value;  // as bound; also SQLParamData's token
};
