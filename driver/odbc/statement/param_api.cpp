#include "driver/odbc/statement/param_api.h"

#include <sqlext.h>

#include <climits>

#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/odbc/convert/conv_dispatch.h"
#include "driver/odbc/convert/conv_tables.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/diag/drv_messages.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/statement/binding_refusal.h"
#include "driver/odbc/statement/param_bigint.h"
#include "driver/odbc/statement/param_binding.h"
#include "wire/column_desc.h"

namespace {

// Room the binding array starts with.
constexpr uint32_t kBindingRoom = 5;

SQLRETURN Refuse(DrvStmt* statement, uint32_t number) {
  PostStmtError(statement, number, 0, nullptr);
  return SQL_ERROR;
}

// SQL types whose values have one size, whatever the column size says.
bool SizeIsFixed(int16_t sql_type) {
  switch (sql_type) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_DATE:
    case SQL_TIME:
      return true;
    default:
      return false;
  }
}

// The binding record for parameter `number`; the array grows with zeroed
// records up to it. Null when memory runs out.
ParamBinding* BindingSlot(DrvStmt* statement, uint16_t number) {
  if (statement->param_bindings == nullptr) {
    statement->param_bindings = ArrCreate(kBindingRoom, sizeof(ParamBinding), 0, 0);
    if (statement->param_bindings == nullptr) return nullptr;
  }
  RecArray* bindings = statement->param_bindings;
  const ParamBinding empty{};
  while (ArrCount(bindings) < number) {
    if (ArrAppend(bindings, &empty) != kArrOk) return nullptr;
  }
  return static_cast<ParamBinding*>(ArrAt(bindings, number - 1u));
}

SQLRETURN BindParameter(DrvStmt* statement, SQLUSMALLINT ipar, SQLSMALLINT fParamType,
                        SQLSMALLINT fCType, SQLSMALLINT fSqlType, SQLULEN cbColDef,
                        SQLSMALLINT ibScale, SQLPOINTER rgbValue, SQLLEN cbValueMax,
                        SQLLEN* pcbValue) {
  if (statement->pending != 0) return Refuse(statement, kMsgErrOutOfSequence);
  if (ipar == 0) return Refuse(statement, kMsgErrInvalParam);
  DrvConn* connection = statement->conn;
  int32_t type_index = -1;
  if (cbColDef > INT32_MAX) return Refuse(statement, kMsgErrInvalPrecision);
  if (!ServerHasType(connection, fSqlType) ||
      FindServerTypeIndex(connection, kParameterSide, fSqlType, static_cast<int32_t>(cbColDef),
                          ibScale, &type_index) != 0) {
    return RefuseBindingTypes(statement, kMsgErrDriverIncapable, fCType, fSqlType);
  }
  const TypeDescriptor* type = ServerTypeDesc(connection, type_index);
  if (type == nullptr) return Refuse(statement, kMsgErrDriverIncapable);
  if (fSqlType == SQL_DECIMAL || fSqlType == SQL_NUMERIC) {
    uint16_t max_scale = type->max_scale < type->min_scale ? type->min_scale : type->max_scale;
    if (ibScale < static_cast<SQLSMALLINT>(type->min_scale) ||
        ibScale > static_cast<SQLSMALLINT>(max_scale)) {
      return Refuse(statement, kMsgErrInvalScale);
    }
  }
  uint32_t column_size = cbColDef == 0 ? type->precision : static_cast<uint32_t>(cbColDef);
  if (!SizeIsFixed(fSqlType) && column_size > type->precision)
    return Refuse(statement, kMsgErrInvalPrecision);
  int16_t c_type = fCType == SQL_C_DEFAULT ? DefaultCTypeForSqlType(fSqlType) : fCType;
  // A 64-bit integer goes to the server as its decimal text, so it converts
  // wherever a text does; it is sent, never received.
  bool big = IsBigIntParamType(c_type);
  if ((big && fParamType != SQL_PARAM_INPUT) ||
      ConvCheckSupported(big ? SQL_C_CHAR : c_type, 1, fSqlType) == 0)
    return RefuseBindingTypes(statement, kMsgErrRestrictedConversion, fCType, fSqlType);
  // The wire carries buffer lengths in 32 bits.
  if (cbValueMax > INT32_MAX) return Refuse(statement, kMsgErrInvalStrLen);
  ParamBinding* b = BindingSlot(statement, ipar);
  if (b == nullptr) return Refuse(statement, kMsgErrOutOfMemory);
  char* accumulated = b->accumulated;
  uint32_t capacity = b->accumulated_capacity;
  *b = ParamBinding{};
  b->number = ipar;
  b->param_type = static_cast<uint16_t>(fParamType);
  b->c_type = c_type;
  b->sql_type = fSqlType;
  b->column_size = column_size;
  b->scale = ibScale;
  b->value = rgbValue;
  b->app_value = rgbValue;
  b->buffer_length = static_cast<int32_t>(cbValueMax);
  b->length = pcbValue;
  b->flags = kParamBound;
  b->accumulated = accumulated;
  b->accumulated_capacity = capacity;
  return SQL_SUCCESS;
}

}  // namespace

SQLRETURN SQLBindParameterImpl(SQLHSTMT hstmt, SQLUSMALLINT ipar, SQLSMALLINT fParamType,
                               SQLSMALLINT fCType, SQLSMALLINT fSqlType, SQLULEN cbColDef,
                               SQLSMALLINT ibScale, SQLPOINTER rgbValue, SQLLEN cbValueMax,
                               SQLLEN* pcbValue) {
  return StatementEntry(
      hstmt, "SQLBindParameter",
      [&](TraceHandle* trace) {
        TraceEnter(trace,
                   "SQLBindParameter(0x%08lx, %u, %d, %d, %d, %lu, %d, 0x%08lx, %lu, 0x%08lx)",
                   TraceAddr(hstmt), ipar, fParamType, fCType, fSqlType,
                   static_cast<unsigned long>(cbColDef), ibScale, TraceAddr(rgbValue),
                   static_cast<unsigned long>(cbValueMax), TraceAddr(pcbValue));
      },
      [&](DrvStmt* statement) -> SQLRETURN {
        SQLRETURN code = BindParameter(statement, ipar, fParamType, fCType, fSqlType, cbColDef,
                                       ibScale, rgbValue, cbValueMax, pcbValue);
        return code;
      });
}

SQLRETURN SQLNumParamsImpl(SQLHSTMT hstmt, SQLSMALLINT* pcpar) {
  return StatementEntry(hstmt, kNoTraceLines, [&](DrvStmt* statement) -> SQLRETURN {
    if (pcpar != nullptr) *pcpar = static_cast<SQLSMALLINT>(statement->marker_count);
    return SQL_SUCCESS;
  });
}

SQLRETURN SQLDescribeParamImpl(SQLHSTMT hstmt, SQLUSMALLINT ipar, SQLSMALLINT* pfSqlType,
                               SQLULEN* pcbColDef, SQLSMALLINT* pibScale, SQLSMALLINT* pfNullable) {
  return StatementEntry(
      hstmt, "SQLDescribeParam",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLDescribeParam(0x%08lx, %u, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx)",
                   TraceAddr(hstmt), ipar, TraceAddr(pfSqlType), TraceAddr(pcbColDef),
                   TraceAddr(pibScale), TraceAddr(pfNullable));
      },
      [&](DrvStmt* statement) -> SQLRETURN {
        SQLRETURN code = SQL_SUCCESS;
        RecArray* descs = statement->param_descs;
        if (statement->marker_count > 0 && (descs == nullptr || ArrCount(descs) == 0)) {
          char text[512];
          PostStmtError(
              statement, kMsgErrGeneric, 0,
              DrvMessageText(kMsgDrsDescparamFail, text, sizeof text) == 1 ? text : nullptr);
          code = SQL_ERROR;
        } else if (ipar == 0 || ipar > statement->marker_count || descs == nullptr ||
                   ipar > ArrCount(descs)) {
          code = Refuse(statement, kMsgErrInvalParam);
        } else {
          const auto* d = static_cast<const LnaParamDesc*>(ArrAt(descs, ipar - 1u));
          if (pfSqlType != nullptr) *pfSqlType = d->sql_type;
          if (pcbColDef != nullptr)
            *pcbColDef = static_cast<SQLULEN>(d->precision < 0 ? 0 : d->precision);
          if (pibScale != nullptr) *pibScale = d->scale == kNoScale ? 0 : d->scale;
          if (pfNullable != nullptr)
            *pfNullable =
                d->nullable <= 1 ? static_cast<SQLSMALLINT>(d->nullable) : SQL_NULLABLE_UNKNOWN;
        }
        return code;
      });
}
