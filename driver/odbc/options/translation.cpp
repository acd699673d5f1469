#include "driver/odbc/options/translation.h"

#include <sqlext.h>

#include <cstdlib>
#include <cstring>

#include "common/memory.h"
#include "common/profile.h"
#include "common/profile_path.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/message_ids.h"
#include "platform/module.h"

namespace {

// The translation entry point as ODBC declares it.
using DriverToDataSourceFn = BOOL(SQL_API*)(UDWORD option, SWORD sql_type, PTR in, SDWORD in_length,
                                            PTR out, SDWORD out_max, SDWORD* out_length,
                                            UCHAR* message, SWORD message_max,
                                            SWORD* message_length);

constexpr SWORD kMessageSize = 512;

bool IsCharType(int16_t c_type) {
  return c_type == SQL_C_CHAR || c_type == SQL_VARCHAR || c_type == SQL_LONGVARCHAR;
}

// Bytes of a value of fixed size, or 0 for one whose length is given.
int32_t FixedSize(int16_t c_type) {
  switch (c_type) {
    case SQL_BIT:
    case SQL_TINYINT:
      return 1;
    case SQL_SMALLINT:
      return 2;
    case SQL_INTEGER:
    case SQL_REAL:
      return 4;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return 8;
    case SQL_DATE:
    case SQL_TIME:
      return 6;
    case SQL_TIMESTAMP:
      return 16;
    default:
      return 0;
  }
}

void PostXlatError(DrvConn* connection, DrvStmt* statement, uint32_t number, const char* text) {
  if (statement != nullptr) {
    PostStmtError(statement, number, 0, text);
  } else {
    PostDbcError(connection, number, 0, text);
  }
}

int CopyUntranslated(int16_t c_type, const void* source, int32_t source_length, void* target,
                     int32_t target_size, int32_t* out_length) {
  if (source_length == SQL_NULL_DATA || source == nullptr || target_size <= 0) {
    *out_length = source_length == SQL_NULL_DATA ? SQL_NULL_DATA : 0;
    return 1;
  }
  int32_t n = FixedSize(c_type);
  if (n == 0) {
    n = source_length == SQL_NTS
            ? static_cast<int32_t>(std::strlen(static_cast<const char*>(source)) + 1)
            : source_length;
  }
  if (n < 0) n = 0;
  if (n > target_size) n = target_size;
  if (n > 0) std::memcpy(target, source, static_cast<size_t>(n));
  if (n < target_size) static_cast<char*>(target)[n] = '\0';
  *out_length = n;
  return 1;
}

}  // namespace

void UnloadTranslationLibrary(DrvConn* connection) {
  PlatModuleFree(connection->translate_module);
  MemFree(connection->translate_dll);
  connection->translate_module = nullptr;
  connection->translate_dll = nullptr;
  connection->driver_to_data_source = nullptr;
  connection->data_source_to_driver = nullptr;
}

SQLRETURN LoadTranslationLibrary(DrvConn* connection, const char* name) {
  if (name == nullptr) {
    PostDbcError(connection, kMsgErrInvalArg, 0, nullptr);
    return SQL_ERROR;
  }
  if (name[0] == '\0') {
    UnloadTranslationLibrary(connection);
    return SQL_SUCCESS;
  }
  const size_t length = std::strlen(name);
  auto* copy = static_cast<char*>(MemAlloc(length + 1));
  if (copy == nullptr) {
    PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
    return SQL_ERROR;
  }
  std::memcpy(copy, name, length + 1);
  PlatModule module = PlatModuleLoadByName(copy);
  void* to_driver = PlatModuleSymbol(module, "SQLDataSourceToDriver");
  void* to_source = PlatModuleSymbol(module, "SQLDriverToDataSource");
  if (module == nullptr || to_driver == nullptr || to_source == nullptr) {
    PostDbcError(connection, kMsgErrInvalXlatdll, 0, nullptr);
    PlatModuleFree(module);
    MemFree(copy);
    return SQL_ERROR;
  }
  UnloadTranslationLibrary(connection);
  connection->translate_dll = copy;
  connection->translate_module = module;
  connection->driver_to_data_source = to_source;
  connection->data_source_to_driver = to_driver;
  return SQL_SUCCESS;
}

int TranslateValue(DrvConn* connection, DrvStmt* statement, int16_t c_type, const void* source,
                   int32_t source_length, void* target, int32_t target_size, int32_t* out_length) {
  auto translate = reinterpret_cast<DriverToDataSourceFn>(connection->driver_to_data_source);
  if (translate == nullptr)
    return CopyUntranslated(c_type, source, source_length, target, target_size, out_length);
  const bool text = IsCharType(c_type);
  int32_t usable = text ? target_size - 1 : target_size;
  if (usable < 0) usable = 0;
  if (text && source_length == SQL_NTS)
    source_length = static_cast<int32_t>(std::strlen(static_cast<const char*>(source)));
  SDWORD produced = 0;
  UCHAR message[kMessageSize] = {};
  SWORD message_length = 0;
  BOOL ok =
      translate(connection->translate_option, c_type, const_cast<void*>(source), source_length,
                target, usable, &produced, message, kMessageSize - 1, &message_length);
  *out_length = produced;
  if (ok) {
    if (text && target_size > 0) {
      int32_t end = produced < 0 ? 0 : (produced < usable ? produced : usable);
      static_cast<char*>(target)[end] = '\0';
    }
    return 1;
  }
  int32_t end = message_length < 0 ? 0 : message_length;
  if (end >= kMessageSize) end = kMessageSize - 1;
  message[end] = '\0';
  const char* said = reinterpret_cast<const char*>(message);
  PostXlatError(connection, statement, kMsgErrInvalXlatdll, said[0] != '\0' ? said : nullptr);
  return 0;
}

int TranslateStatementText(DrvConn* connection, DrvStmt* statement, const char* text,
                           char** copy_out) {
  *copy_out = nullptr;
  if (connection->driver_to_data_source == nullptr) return 1;
  const size_t length = std::strlen(text);
  if (length >= 0x7FFFFFFF) {
    PostXlatError(connection, statement, kMsgErrInvalArg, nullptr);
    return 0;
  }
  // A translation may lengthen the text: one more try with the room the
  // library asked for.
  int32_t size = static_cast<int32_t>(length) + 1;
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto* copy = static_cast<char*>(MemAlloc(static_cast<size_t>(size)));
    if (copy == nullptr) {
      PostXlatError(connection, statement, kMsgErrOutOfMemory, nullptr);
      return 0;
    }
    int32_t produced = 0;
    if (TranslateValue(connection, statement, SQL_C_CHAR, text, static_cast<int32_t>(length), copy,
                       size, &produced) == 0) {
      MemFree(copy);
      return 0;
    }
    if (produced >= 0 && produced < size) {
      *copy_out = copy;
      return 1;
    }
    MemFree(copy);
    if (produced < 0 || produced >= 0x7FFFFFFE) break;
    size = produced + 1;
  }
  // Sending a cut statement would run something else than was asked.
  PostXlatError(connection, statement, kMsgErrInvalXlatdll, nullptr);
  return 0;
}
