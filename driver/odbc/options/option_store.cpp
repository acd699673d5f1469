#include "driver/odbc/options/option_store.h"

#include <sqlext.h>

#include <cstring>

#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/options/translation.h"

namespace {

constexpr uint32_t kSlotOf[] = {
    kOptQueryTimeout,   kOptMaxRows,      kOptNoScan,       kOptMaxLength,   kOptAsyncEnable,
    kOptBindType,       kOptCursorType,   kOptConcurrency,  kOptKeysetSize,  kOptRowsetSize,
    kOptSimulateCursor, kOptRetrieveData, kOptUseBookmarks, kOptGetBookmark, kOptRowNumber,
};

// Cuts the text to `size` bytes with its NUL.
void CopyText(char* out, const char* text, size_t size) {
  size_t n = text != nullptr ? strnlen(text, size - 1) : 0;
  if (n > 0) std::memcpy(out, text, n);
  out[n] = '\0';
}

void WriteText(void* out, const char* text) {
  CopyText(static_cast<char*>(out), text, kOptionTextSize);
}

void Write32(void* out, uint32_t value) {
  std::memcpy(out, &value, sizeof value);
}

}  // namespace

SQLRETURN StoreConnectOption(uint16_t option, DrvConn* connection, SQLULEN value) {
  const auto number = static_cast<uint32_t>(value);
  switch (option) {
    case SQL_ACCESS_MODE:
      connection->access_mode = number;
      break;
    case SQL_AUTOCOMMIT:
      connection->autocommit = number;
      break;
    case SQL_LOGIN_TIMEOUT:
      connection->login_timeout = number;
      break;
    case SQL_TRANSLATE_DLL:
      return LoadTranslationLibrary(connection, reinterpret_cast<const char*>(value));
    case SQL_TRANSLATE_OPTION:
      connection->translate_option = number;
      break;
    case SQL_TXN_ISOLATION:
      connection->txn_isolation = number;
      break;
    case SQL_CURRENT_QUALIFIER:
      CopyText(connection->qualifier, reinterpret_cast<const char*>(value), kQualifierSize);
      break;
    case SQL_ODBC_CURSORS:
      connection->odbc_cursors = number;
      break;
    case SQL_QUIET_MODE:
      connection->quiet_mode = value;  // a window handle: all of it
      break;
    case SQL_PACKET_SIZE:
      connection->packet_size = number;
      break;
    default:
      break;
  }
  return SQL_SUCCESS;
}

void ReadConnectOption(uint16_t option, const DrvConn* connection, void* out) {
  switch (option) {
    case SQL_ACCESS_MODE:
      Write32(out, connection->access_mode);
      break;
    case SQL_AUTOCOMMIT:
      Write32(out, connection->autocommit);
      break;
    case SQL_LOGIN_TIMEOUT:
      Write32(out, connection->login_timeout);
      break;
    case SQL_TRANSLATE_DLL:
      WriteText(out, connection->translate_dll);
      break;
    case SQL_TRANSLATE_OPTION:
      Write32(out, connection->translate_option);
      break;
    case SQL_TXN_ISOLATION:
      Write32(out, connection->txn_isolation);
      break;
    case SQL_CURRENT_QUALIFIER:
      WriteText(out, connection->qualifier);
      break;
    case SQL_ODBC_CURSORS:
      Write32(out, connection->odbc_cursors);
      break;
    case SQL_QUIET_MODE: {
      SQLULEN handle = connection->quiet_mode;
      std::memcpy(out, &handle, sizeof handle);
      break;
    }
    case SQL_PACKET_SIZE:
      Write32(out, connection->packet_size);
      break;
    default:
      break;
  }
}

uint32_t StmtOptionSlot(uint16_t option) {
  return option < sizeof kSlotOf / sizeof kSlotOf[0] ? kSlotOf[option] : kStmtOptionSlots;
}

void StoreStmtOption(uint16_t option, StmtOptions* block, uint32_t value) {
  if (option > SQL_USE_BOOKMARKS) return;
  // A length at or past the signed limit is kept one below what was given.
  if (option == SQL_MAX_LENGTH && value >= 2147483647u) value -= 1;
  block->slot[StmtOptionSlot(option)] = value;
}

void ReadStmtOption(uint16_t option, const StmtOptions* block, void* out) {
  const uint32_t slot = StmtOptionSlot(option);
  if (slot >= kStmtOptionSlots) return;
  const uint32_t value = block->slot[slot];
  switch (option) {
    case SQL_MAX_ROWS:
    case SQL_MAX_LENGTH:
    case SQL_KEYSET_SIZE:
    case SQL_ROWSET_SIZE: {
      SQLULEN wide = value;
      std::memcpy(out, &wide, sizeof wide);
      break;
    }
    default:
      Write32(out, value);
      break;
  }
}
