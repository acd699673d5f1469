#include "driver/odbc/fetch/result_set.h"

#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/pool.h"
#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/odbc/core/arg_copy.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/fetch/catalog_columns.h"
#include "driver/odbc/fetch/column_desc.h"
#include "wire/column_desc.h"

namespace {

// A copy of `text` (at most `size` bytes, terminated or not) in the pool.
char* PoolText(int32_t pool, const char* text, size_t size) {
  size_t n = strnlen(text, size);
  auto* copy = static_cast<char*>(PoolAlloc(pool, n + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, text, n);
  copy[n] = '\0';
  return copy;
}

void DropResultSet(DrvStmt* statement) {
  ArrDestroy(statement->columns);
  statement->columns = nullptr;
  if (statement->result_pool != 0) PoolDestroy(statement->result_pool);
  statement->result_pool = 0;
}

bool HasResultSet(const DrvStmt* statement) {
  return statement->result_class >= kResultRows && statement->columns != nullptr;
}

int16_t ReportedScale(const ColumnDesc* column) {
  return column->scale == kNoScale ? 0 : column->scale;
}

SQLSMALLINT Nullability(const ColumnDesc* column) {
  if ((column->attributes & kColNullabilityKnown) == 0) return SQL_NULLABLE_UNKNOWN;
  return (column->attributes & kColNullable) != 0 ? SQL_NULLABLE : SQL_NO_NULLS;
}

SQLLEN Searchability(const ColumnDesc* column) {
  switch (column->attributes & kColSearchMask) {
    case kColSearchBasic:
      return SQL_ALL_EXCEPT_LIKE;
    case kColSearchLike:
      return SQL_LIKE_ONLY;
    case kColSearchMask:
      return SQL_SEARCHABLE;
    default:
      return SQL_UNSEARCHABLE;
  }
}

SQLLEN ColumnLength(int16_t sql_type, const ColumnDesc* column) {
  switch (sql_type) {
    case SQL_DATE:
    case SQL_TIME:
      return 6;
    case SQL_TIMESTAMP:
      return 16;
    default:
      return static_cast<SQLLEN>(column->length);
  }
}

const char* TypeName(const DrvStmt* statement, const ColumnDesc* column) {
  const TypeDescriptor* type = ServerTypeDesc(statement->conn, column->type_index);
  return type != nullptr ? type->type_name : nullptr;
}

// The fixed description of a catalog result's column, null for rows of a
// query (and for a column the result set does not have).
const CatalogColumnInfo* CatalogColumn(const DrvStmt* statement, uint32_t icol) {
  uint32_t count = 0;
  const CatalogColumnInfo* table = CatalogColumnTable(statement->result_kind, &count);
  if (table == nullptr || icol == 0 || icol > DescribedColumnCount(statement)) return nullptr;
  return &table[icol - 1];
}

SQLULEN CatalogPrecision(const CatalogColumnInfo& entry) {
  if (entry.sql_type == SQL_INTEGER) return 10;
  if (entry.sql_type == SQL_SMALLINT) return 5;
  return entry.size;
}

SQLLEN CatalogDisplaySize(const CatalogColumnInfo& entry) {
  if (entry.sql_type == SQL_INTEGER) return 11;
  if (entry.sql_type == SQL_SMALLINT) return 6;
  return entry.size;
}

bool IsNumericSqlType(int32_t sql_type) {
  return (sql_type >= SQL_NUMERIC && sql_type <= SQL_DOUBLE) || sql_type == SQL_BIGINT ||
         sql_type == SQL_TINYINT || sql_type == SQL_BIT;
}

// A numeric attribute of a catalog result's column into *value, or its
// text into *text (a type name is written into `name` first).
void CatalogAttribute(const DrvStmt* statement, const CatalogColumnInfo& entry, SQLUSMALLINT type,
                      SQLLEN* value, const char** text, char* name, size_t name_size) {
  switch (type) {
    case SQL_COLUMN_NAME:
    case SQL_COLUMN_LABEL:
      *text = entry.name;
      break;
    case SQL_COLUMN_TYPE:
      *value = entry.sql_type;
      break;
    case SQL_COLUMN_LENGTH:
      *value = entry.size;
      break;
    case SQL_COLUMN_PRECISION:
      *value = static_cast<SQLLEN>(CatalogPrecision(entry));
      break;
    case SQL_COLUMN_DISPLAY_SIZE:
      *value = CatalogDisplaySize(entry);
      break;
    case SQL_COLUMN_NULLABLE:
      *value = entry.nullable != 0 ? 1 : 0;
      break;
    case SQL_COLUMN_UNSIGNED:
      *value = IsNumericSqlType(entry.sql_type) ? 0 : 1;
      break;
    case SQL_COLUMN_CASE_SENSITIVE:
      *value = entry.sql_type == SQL_VARCHAR ? 1 : 0;
      break;
    case SQL_COLUMN_SEARCHABLE:
      *value = entry.sql_type == SQL_VARCHAR || entry.sql_type == SQL_CHAR ? SQL_SEARCHABLE
                                                                           : SQL_ALL_EXCEPT_LIKE;
      break;
    case SQL_COLUMN_TYPE_NAME:
      name[0] = '\0';
      ServerTypeName(statement->conn, name, name_size, static_cast<int16_t>(entry.sql_type));
      *text = name;
      break;
    default:  // scale, money, updatable, auto-increment; table, owner, qualifier
      *value = 0;
      break;
  }
}

}  // namespace

SQLRETURN BuildColumnDescs(DrvStmt* statement, ColumnDesc* column, const LnaColumnDesc* record) {
  column->display_size = static_cast<uint32_t>(record->display_size);
  column->length = static_cast<uint32_t>(record->length);
  column->attributes = static_cast<uint32_t>(record->attributes);
  column->sql_type = static_cast<uint16_t>(record->sql_type);
  column->precision = static_cast<uint32_t>(record->precision);
  column->scale = record->scale;

  int32_t index = -1;
  if (FindServerTypeIndex(statement->conn, kColumnSide, record->sql_type, record->precision,
                          record->scale, &index) != 0 &&
      (record->sql_type != SQL_TIMESTAMP ||
       FindServerTypeIndex(statement->conn, kColumnSide, record->sql_type, -1, record->scale,
                           &index) != 0)) {
    // Without a server type nothing could describe or fetch the column;
    // say which type it was rather than failing silently.
    char text[128];
    std::snprintf(text, sizeof text, "The server has no data type for SQL type %d of column %.65s.",
                  record->sql_type,
                  strnlen(record->name, sizeof record->name) > 0 ? record->name : "?");
    PostStmtError(statement, kMsgErrGeneric, 0, text);
    return SQL_ERROR;
  }
  column->type_index = static_cast<int16_t>(index);

  int32_t pool = statement->result_pool;
  column->label = PoolText(pool, record->label, sizeof record->label);
  column->owner = PoolText(pool, record->owner, sizeof record->owner);
  column->table = PoolText(pool, record->table, sizeof record->table);
  column->qualifier = PoolText(pool, record->qualifier, sizeof record->qualifier);
  column->name = PoolText(pool, record->name, sizeof record->name);
  if (column->label == nullptr || column->owner == nullptr || column->table == nullptr ||
      column->qualifier == nullptr || column->name == nullptr) {
    PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
    return SQL_ERROR;
  }
  column->attributes |= kColNullabilityKnown;
  if (record->nullable != 0) column->attributes |= kColNullable;
  return SQL_SUCCESS;
}

SQLRETURN DrvBuildResultSet(DrvStmt* statement, const LnaColumnDesc* records, uint32_t count) {
  DropResultSet(statement);
  statement->result_pool = PoolCreate();
  if (statement->result_pool > 0)
    statement->columns = ArrCreate(count > 0 ? count : 1, sizeof(ColumnDesc), 0, 0);
  if (statement->result_pool <= 0 || statement->columns == nullptr) {
    if (statement->result_pool < 0) statement->result_pool = 0;
    DropResultSet(statement);
    PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
    return SQL_ERROR;
  }
  statement->long_column = 0;
  for (uint32_t i = 0; i < count; ++i) {
    ColumnDesc column{};
    if (BuildColumnDescs(statement, &column, &records[i]) != SQL_SUCCESS) {
      DropResultSet(statement);
      return SQL_ERROR;
    }
    if (ArrSetAt(statement->columns, &column, i) != kArrOk) {
      PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
      DropResultSet(statement);
      return SQL_ERROR;
    }
  }
  return SQL_SUCCESS;
}

uint32_t ResultColumnCount(const DrvStmt* statement) {
  return statement->columns != nullptr ? ArrCount(statement->columns) : 0;
}

uint32_t DescribedColumnCount(const DrvStmt* statement) {
  uint32_t records = ResultColumnCount(statement);
  uint32_t count = 0;
  if (CatalogColumnTable(statement->result_kind, &count) == nullptr) return records;
  return std::min(count, records);
}

ColumnDesc* ResultColumn(const DrvStmt* statement, uint32_t number) {
  if (number == 0 || number > ResultColumnCount(statement)) return nullptr;
  return static_cast<ColumnDesc*>(ArrAt(statement->columns, number - 1));
}

int16_t ColumnSqlType(const DrvStmt* statement, const ColumnDesc* column) {
  const TypeDescriptor* type = ServerTypeDesc(statement->conn, column->type_index);
  return type != nullptr ? type->sql_type : static_cast<int16_t>(column->sql_type);
}

SQLRETURN SQLNumResultColsImpl(SQLHSTMT hstmt, SQLSMALLINT* pccol) {
  return StatementEntry(
      hstmt, kKeepDiagnostics, "SQLNumResultCols",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLNumResultCols(0x%08lx, 0x%08lx)", TraceAddr(hstmt), TraceAddr(pccol));
      },
      [&](DrvStmt* statement) -> SQLRETURN {
        // In between a prepare or an execution and SQLError the diagnostics
        // of that call must survive this question.
        if (statement->state == kStmtAllocated || statement->state == kStmtOnRow)
          ClearHandleErrors(nullptr, nullptr, statement);
        if (pccol != nullptr) *pccol = static_cast<SQLSMALLINT>(DescribedColumnCount(statement));
        return SQL_SUCCESS;
      });
}

SQLRETURN SQLDescribeColImpl(SQLHSTMT hstmt, SQLUSMALLINT icol, SQLCHAR* szColName,
                             SQLSMALLINT cbColNameMax, SQLSMALLINT* pcbColName,
                             SQLSMALLINT* pfSqlType, SQLULEN* pcbColDef, SQLSMALLINT* pibScale,
                             SQLSMALLINT* pfNullable) {
  return StatementEntry(
      hstmt, "SQLDescribeCol",
      [&](TraceHandle* trace) {
        TraceEnter(trace,
                   "SQLDescribeCol(0x%08lx, %u, 0x%08lx, %d, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, "
                   "0x%08lx)",
                   TraceAddr(hstmt), static_cast<unsigned>(icol), TraceAddr(szColName),
                   cbColNameMax, TraceAddr(pcbColName), TraceAddr(pfSqlType), TraceAddr(pcbColDef),
                   TraceAddr(pibScale), TraceAddr(pfNullable));
      },
      [&](DrvStmt* statement) -> SQLRETURN {
        uint32_t message = 0;
        if (statement->state < kStmtPrepared)
          message = kMsgErrOutOfSequence;
        else if (!HasResultSet(statement))
          message = kMsgErrInvalCursorState;
        else if (icol == 0 || icol > DescribedColumnCount(statement))
          message = kMsgErrInvalColumn;
        if (message != 0) {
          PostStmtError(statement, message, 0, nullptr);
          return SQL_ERROR;
        }
        const char* name = nullptr;
        if (const CatalogColumnInfo* entry = CatalogColumn(statement, icol); entry != nullptr) {
          if (pfNullable != nullptr)
            *pfNullable = entry->nullable != 0 ? SQL_NULLABLE : SQL_NO_NULLS;
          if (pfSqlType != nullptr) *pfSqlType = static_cast<SQLSMALLINT>(entry->sql_type);
          if (pcbColDef != nullptr) *pcbColDef = CatalogPrecision(*entry);
          if (pibScale != nullptr) *pibScale = 0;
          name = entry->name;
        } else {
          const ColumnDesc* column = ResultColumn(statement, icol);
          if (pfNullable != nullptr) *pfNullable = Nullability(column);
          if (pfSqlType != nullptr) *pfSqlType = ColumnSqlType(statement, column);
          if (pcbColDef != nullptr) *pcbColDef = column->precision;
          if (pibScale != nullptr) *pibScale = ReportedScale(column);
          name = column->name;
        }
        int16_t length = 0;
        int cut = CopyOutString(reinterpret_cast<char*>(szColName), name, cbColNameMax, &length);
        if (pcbColName != nullptr) *pcbColName = length;
        if (cut != 0 && szColName != nullptr) {
          PostStmtError(statement, kMsgErrDataTruncation, 0, nullptr);
          return SQL_SUCCESS_WITH_INFO;
        }
        return SQL_SUCCESS;
      });
}

namespace {

// SQLColAttributes inside its statement shell.
SQLRETURN ColumnAttribute(DrvStmt* statement, SQLUSMALLINT icol, SQLUSMALLINT fDescType,
                          SQLPOINTER rgbDesc, SQLSMALLINT cbDescMax, SQLSMALLINT* pcbDesc,
                          SQLLEN* pfDesc) {
  if (!HasResultSet(statement)) {
    PostStmtError(statement, kMsgErrInvalCursorState, 0, nullptr);
    return SQL_ERROR;
  }
  bool numeric = fDescType == SQL_COLUMN_COUNT ||
                 (fDescType >= SQL_COLUMN_TYPE && fDescType <= SQL_COLUMN_SEARCHABLE);
  if (numeric && pfDesc == nullptr) return SQL_SUCCESS;
  if (fDescType == SQL_COLUMN_COUNT) {
    *pfDesc = static_cast<SQLLEN>(DescribedColumnCount(statement));
    return SQL_SUCCESS;
  }
  if (icol == 0 || icol > DescribedColumnCount(statement)) {
    PostStmtError(statement, kMsgErrInvalColumn, 0, nullptr);
    return SQL_ERROR;
  }
  if (fDescType > SQL_COLUMN_LABEL) {
    PostStmtError(statement, kMsgErrDriverIncapable, 0, nullptr);
    return SQL_ERROR;
  }
  const char* text = nullptr;
  if (const CatalogColumnInfo* entry = CatalogColumn(statement, icol); entry != nullptr) {
    char name[256];
    SQLLEN value = 0;
    CatalogAttribute(statement, *entry, fDescType, &value, &text, name, sizeof name);
    if (numeric) {
      *pfDesc = value;
      return SQL_SUCCESS;
    }
    return CopyOutAttrString(statement, text, rgbDesc, cbDescMax, pcbDesc);
  }
  const ColumnDesc* column = ResultColumn(statement, icol);
  int16_t sql_type = ColumnSqlType(statement, column);
  uint32_t a = column->attributes;
  switch (fDescType) {
    case SQL_COLUMN_NAME:
      text = column->name;
      break;
    case SQL_COLUMN_TYPE:
      *pfDesc = sql_type;
      break;
    case SQL_COLUMN_LENGTH:
      *pfDesc = ColumnLength(sql_type, column);
      break;
    case SQL_COLUMN_PRECISION:
      *pfDesc = static_cast<SQLLEN>(column->precision);
      break;
    case SQL_COLUMN_SCALE:
      *pfDesc = ReportedScale(column);
      break;
    case SQL_COLUMN_DISPLAY_SIZE:
      *pfDesc = static_cast<SQLLEN>(column->display_size);
      break;
    case SQL_COLUMN_NULLABLE:
      *pfDesc = Nullability(column);
      break;
    case SQL_COLUMN_UNSIGNED:
      *pfDesc = (a & kColSigned) == 0 ? 1 : 0;
      break;
    case SQL_COLUMN_MONEY:
      *pfDesc = (a & kColMoney) != 0 ? 1 : 0;
      break;
    case SQL_COLUMN_UPDATABLE:
      *pfDesc = (a & kColUpdatable) != 0 ? 1 : 0;
      break;
    case SQL_COLUMN_AUTO_INCREMENT:
      *pfDesc = (a & kColAutoIncrement) != 0 ? 1 : 0;
      break;
    case SQL_COLUMN_CASE_SENSITIVE:
      *pfDesc = (a & kColCaseSensitive) != 0 ? 1 : 0;
      break;
    case SQL_COLUMN_SEARCHABLE:
      *pfDesc = Searchability(column);
      break;
    case SQL_COLUMN_TYPE_NAME:
      text = TypeName(statement, column);
      break;
    case SQL_COLUMN_TABLE_NAME:
      text = column->table;
      break;
    case SQL_COLUMN_OWNER_NAME:
      text = column->owner;
      break;
    case SQL_COLUMN_QUALIFIER_NAME:
      text = column->qualifier;
      break;
    case SQL_COLUMN_LABEL:
      text = column->label != nullptr && column->label[0] != '\0' ? column->label : column->name;
      break;
    default:
      break;
  }
  if (numeric) return SQL_SUCCESS;
  return CopyOutAttrString(statement, text, rgbDesc, cbDescMax, pcbDesc);
}

}  // namespace

SQLRETURN SQLColAttributesImpl(SQLHSTMT hstmt, SQLUSMALLINT icol, SQLUSMALLINT fDescType,
                               SQLPOINTER rgbDesc, SQLSMALLINT cbDescMax, SQLSMALLINT* pcbDesc,
                               SQLLEN* pfDesc) {
  return StatementEntry(
      hstmt, "SQLColAttributes",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLColAttributes(0x%08lx, %u, %u, 0x%08lx, %d, 0x%08lx, 0x%08lx)",
                   TraceAddr(hstmt), static_cast<unsigned>(icol), static_cast<unsigned>(fDescType),
                   TraceAddr(rgbDesc), cbDescMax, TraceAddr(pcbDesc), TraceAddr(pfDesc));
      },
      [&](DrvStmt* statement) {
        return ColumnAttribute(statement, icol, fDescType, rgbDesc, cbDescMax, pcbDesc, pfDesc);
      });
}

SQLRETURN CopyOutAttrString(DrvStmt* statement, const char* text, void* buffer,
                            SQLSMALLINT buffer_length, SQLSMALLINT* length) {
  int cut = CopyOutString(static_cast<char*>(buffer), text, buffer_length, length);
  if (cut == 0) return SQL_SUCCESS;
  if (buffer == nullptr) return SQL_SUCCESS;
  PostStmtError(statement, kMsgErrDataTruncation, 0, nullptr);
  return SQL_SUCCESS_WITH_INFO;
}
