// The data-at-execution protocol: SQLParamData names the next parameter
// that waits for its value, SQLPutData hands over its pieces, and the last
// SQLParamData lets the server run the statement.
#include "driver/odbc/statement/data_at_exec.h"

#include <sqlext.h>

#include <cstring>

#include "common/memory.h"
#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/convert/type_predicates.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/get_info.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/statement/exec_params.h"
#include "driver/odbc/statement/param_binding.h"
#include "driver/odbc/statement/stmt_exec.h"

namespace {

// Most a data-at-execution value may gather in the driver.
constexpr uint64_t kMaxAccumulated = 2000000000;
constexpr uint16_t kPhaseIdle = 0;
constexpr uint16_t kPhaseDone = 1;
constexpr uint16_t kPhasePieces = 2;

bool Succeeded(SQLRETURN code) {
  return code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO;
}

SQLRETURN Refuse(DrvStmt* statement, uint32_t number) {
  PostStmtError(statement, number, 0, nullptr);
  return SQL_ERROR;
}

ParamBinding* Current(DrvStmt* statement) {
  if (statement->data_at_exec_param < 0) return nullptr;
  return ParamBindingAt(statement, static_cast<uint32_t>(statement->data_at_exec_param));
}

bool AnyAtExec(DrvStmt* statement) {
  for (uint32_t i = 0; i < statement->marker_count; ++i) {
    const ParamBinding* b = ParamBindingAt(statement, i);
    if (b != nullptr && (b->flags & kParamAtExec) != 0) return true;
  }
  return false;
}

// The piece's length in bytes: the fixed size of a fixed-size C type, the
// text's length for SQL_NTS, else what the application said.
SQLLEN PieceLength(const ParamBinding* b, const void* data, SQLLEN length) {
  if (IsNonStringCType(b->c_type)) return DisplaySizeOf(data, b->c_type);
  if (length == SQL_NTS) return data != nullptr ? std::strlen(static_cast<const char*>(data)) : 0;
  return length;
}

// The most a value of this binding may gather in the driver.
uint64_t AccumulationLimit(DrvStmt* statement, const ParamBinding* b) {
  InfoValue need{};
  if (DrvGetInfo(statement->conn, SQL_NEED_LONG_DATA_LEN, 0, &need) != SQL_ERROR &&
      need.text != nullptr && (need.text[0] == 'Y' || need.text[0] == 'y') &&
      b->length != nullptr && *b->length <= kLenDataAtExecBase) {
    return static_cast<uint64_t>(kLenDataAtExecBase - *b->length);
  }
  int32_t index = -1;
  const TypeDescriptor* type = nullptr;
  if (FindServerTypeIndex(statement->conn, kParameterSide, b->sql_type,
                          static_cast<int32_t>(b->column_size), b->scale, &index) == 0)
    type = ServerTypeDesc(statement->conn, index);
  uint64_t type_max = type != nullptr ? type->precision : kMaxAccumulated;
  if (b->sql_type == SQL_DECIMAL || b->sql_type == SQL_NUMERIC) return type_max;
  return b->column_size < type_max ? b->column_size : type_max;
}

SQLRETURN Accumulate(DrvStmt* statement, ParamBinding* b, SQLPOINTER data, SQLLEN length) {
  if (b->is_null != 0) return Refuse(statement, kMsgErrOutOfSequence);
  if (length == SQL_NULL_DATA || (b->length != nullptr && *b->length == SQL_NULL_DATA) ||
      (data == nullptr && length == 0)) {
    b->is_null = 1;
    b->flags |= kParamDataReceived;
    return SQL_SUCCESS;
  }
  SQLLEN piece = PieceLength(b, data, length);
  uint64_t total = uint64_t{b->accumulated_length} + static_cast<uint64_t>(piece);
  if (total > kMaxAccumulated) return Refuse(statement, kMsgErrPutdataMaxlen);
  bool variable = b->c_type == SQL_C_CHAR || b->c_type == SQL_C_BINARY;
  if (variable && !IsFixedSizeType(b->sql_type) && total > AccumulationLimit(statement, b))
    return Refuse(statement, kMsgErrPrmRightTrunc);
  size_t room = static_cast<size_t>(total) + (b->c_type == SQL_C_CHAR ? 2 : 0);
  if (room > b->accumulated_capacity || b->accumulated == nullptr) {
    void* block = b->accumulated;
    if (MemRealloc(&block, room == 0 ? 1 : room) != 0) return Refuse(statement, kMsgErrOutOfMemory);
    b->accumulated = static_cast<char*>(block);
    b->accumulated_capacity = static_cast<uint32_t>(room == 0 ? 1 : room);
  }
  if (piece > 0)
    std::memcpy(b->accumulated + b->accumulated_length, data, static_cast<size_t>(piece));
  if (b->c_type == SQL_C_CHAR) b->accumulated[total] = '\0';
  b->accumulated_length = static_cast<uint32_t>(total);
  b->flags |= kParamDataReceived;
  return SQL_SUCCESS;
}

// Step 4 of SQLParamData for parameter `index`.
SQLRETURN OpenParam(DrvStmt* statement, uint32_t index, SQLPOINTER* prgbValue) {
  ParamBinding* b = ParamBindingAt(statement, index);
  SQLRETURN code = DrvParamData(statement, index);
  if (Succeeded(code)) b->flags |= kParamLongData;
  if (code == SQL_ERROR) {
    StmtResetFetchState(statement);
    return code;
  }
  if (code == SQL_STILL_EXECUTING) return code;
  if (prgbValue != nullptr) *prgbValue = b->app_value;
  b->accumulated_length = 0;
  statement->data_at_exec_phase = kPhasePieces;
  return SQL_NEED_DATA;
}

// Step 5: every value is in; the execution goes on.
SQLRETURN FinishParams(DrvStmt* statement, bool resuming) {
  bool info = false;
  if (!resuming) {
    SQLRETURN sent = SendExecParams(statement);
    if (sent == SQL_ERROR) {
      StmtResetFetchState(statement);
      return sent;
    }
    info = sent == SQL_SUCCESS_WITH_INFO;
  }
  SQLRETURN code = DrvExecute(statement);
  if (code != SQL_ERROR && code != SQL_STILL_EXECUTING) statement->data_at_exec_phase = kPhaseDone;
  if (!Succeeded(code) && code != SQL_NEED_DATA && code != SQL_STILL_EXECUTING)
    StmtResetFetchState(statement);
  return code == SQL_SUCCESS && info ? SQL_SUCCESS_WITH_INFO : code;
}

SQLRETURN ParamData(DrvStmt* statement, SQLPOINTER* prgbValue) {
  if (statement->pending != 0) {
    if (statement->pending_function != SQL_API_SQLPARAMDATA)
      return Refuse(statement, kMsgErrOutOfSequence);
    if (statement->data_at_exec_phase == kPhaseIdle && statement->data_at_exec_param >= 0)
      return OpenParam(statement, static_cast<uint32_t>(statement->data_at_exec_param), prgbValue);
    return FinishParams(statement, true);
  }
  ParamBinding* current = Current(statement);
  // Nothing waits for data: after the execution completed, before a
  // piece of the current parameter, or with no execution asking.
  if (statement->data_at_exec_phase == kPhaseDone ||
      (current != nullptr && (current->flags & kParamDataReceived) == 0) ||
      (current == nullptr && !AnyAtExec(statement))) {
    PostStmtError(statement, kMsgErrOutOfSequence, 0, nullptr);
    StmtResetFetchState(statement);
    return SQL_ERROR;
  }
  int32_t next = NextDataAtExecParam(statement);
  if (next >= 0) {
    statement->data_at_exec_param = next;
    statement->data_at_exec_phase = kPhaseIdle;
    return OpenParam(statement, static_cast<uint32_t>(next), prgbValue);
  }
  return FinishParams(statement, false);
}

SQLRETURN PutData(DrvStmt* statement, SQLPOINTER data, SQLLEN length) {
  ParamBinding* b = Current(statement);
  if (statement->pending != 0) {
    if (statement->pending_function != SQL_API_SQLPUTDATA || b == nullptr)
      return Refuse(statement, kMsgErrOutOfSequence);
    SQLRETURN resumed =
        DrvPutData(statement, static_cast<uint32_t>(statement->data_at_exec_param), data, length);
    if (Succeeded(resumed)) b->flags |= kParamDataReceived;
    return resumed;
  }
  if (statement->state < kStmtExecuted || statement->data_at_exec_phase != kPhasePieces ||
      b == nullptr)
    return Refuse(statement, kMsgErrOutOfSequence);
  if (data != nullptr && length < 0 && length != SQL_NTS && length != SQL_NULL_DATA)
    return Refuse(statement, kMsgErrInvalStrLen);
  // A piece with no bytes to read from cannot be sent.
  if (data == nullptr && length != 0 && length != SQL_NULL_DATA)
    return Refuse(statement, kMsgErrInvalArg);
  if ((b->flags & kParamDataReceived) != 0 && b->c_type != SQL_C_CHAR && b->c_type != SQL_C_BINARY)
    return Refuse(statement, kMsgErrOutOfRange);
  if ((b->flags & kParamLongData) == 0) return Accumulate(statement, b, data, length);
  SQLRETURN code =
      DrvPutData(statement, static_cast<uint32_t>(statement->data_at_exec_param), data, length);
  if (Succeeded(code)) b->flags |= kParamDataReceived;
  return code;
}

// Sends one request of long data.
int16_t SendPiece(DrvStmt* statement, int16_t c_type, const char* data, SQLLEN length,
                  uint8_t async) {
  return LnaPutLongDataSP(statement->lna, c_type, data, static_cast<int32_t>(length), async);
}

}  // namespace

int32_t NextDataAtExecParam(DrvStmt* statement) {
  uint32_t from = statement->data_at_exec_param < 0
                      ? 0
                      : static_cast<uint32_t>(statement->data_at_exec_param) + 1;
  for (uint32_t i = from; i < statement->marker_count; ++i) {
    const ParamBinding* b = ParamBindingAt(statement, i);
    if (b != nullptr && (b->flags & kParamBound) != 0 && b->length != nullptr &&
        IsDataAtExecLength(*b->length))
      return static_cast<int32_t>(i);
  }
  return -1;
}

SQLRETURN DrvParamData(DrvStmt* statement, uint32_t index) {
  ParamBinding* b = ParamBindingAt(statement, index);
  if (b != nullptr && b->sql_type == SQL_LONGVARCHAR) b->accumulated_length = 0;
  bool info = false;
  if (statement->param_data_pending == 0) {
    SQLRETURN code = DrvExecute(statement);
    if (code == SQL_ERROR || code == SQL_STILL_EXECUTING) return code;
    info = code == SQL_SUCCESS_WITH_INFO;
    statement->param_data_pending = 1;
  }
  int32_t returned = 0;
  SQLRETURN code = DrvStmtStatus(statement, LnaParamDataSP(statement->lna, &returned));
  statement->row_count = static_cast<uint32_t>(returned);
  if (code == SQL_NEED_DATA) return info ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
  return code;
}

SQLRETURN DrvPutData(DrvStmt* statement, uint32_t index, SQLPOINTER data, SQLLEN length) {
  ParamBinding* b = ParamBindingAt(statement, index);
  if (b == nullptr) return Refuse(statement, kMsgErrOutOfSequence);
  uint8_t async = StmtIsAsync(statement) ? 1 : 0;
  bool resuming = statement->pending != 0;
  // Values of fixed size travel as their bytes: the server takes only text
  // and binary pieces and reads the bytes with the parameter's own type.
  int16_t c_type = b->c_type == SQL_C_CHAR ? SQL_C_CHAR : SQL_C_BINARY;
  if (data == nullptr || length == SQL_NULL_DATA)
    return DrvStmtStatus(statement, SendPiece(statement, c_type, nullptr, SQL_NULL_DATA, async));
  SQLLEN total = PieceLength(b, data, length);
  if (b->sql_type == SQL_LONGVARCHAR) {
    uint64_t grown = uint64_t{b->accumulated_length} + static_cast<uint64_t>(total);
    b->accumulated_length = grown > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(grown);
  }
  const auto* bytes = static_cast<const char*>(data);
  // Every request but the last goes at once; only the last one may be left
  // outstanding, so that a resumed call re-issues just that one.
  SQLLEN last = total > 0 ? (total - 1) / kLongDataPieceMax * kLongDataPieceMax : 0;
  if (!resuming) {
    for (SQLLEN sent = 0; sent < last; sent += kLongDataPieceMax) {
      SQLRETURN code = DrvStmtStatus(
          statement, SendPiece(statement, c_type, bytes + sent, kLongDataPieceMax, 0));
      if (!Succeeded(code)) return code;
    }
  }
  return DrvStmtStatus(statement, SendPiece(statement, c_type, bytes + last, total - last, async));
}

SQLRETURN SQLParamDataImpl(SQLHSTMT hstmt, SQLPOINTER* prgbValue) {
  return StatementEntry(
      hstmt, "SQLParamData",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLParamData(0x%08lx, 0x%08lx)", TraceAddr(hstmt), TraceAddr(prgbValue));
      },
      [&](DrvStmt* statement) -> SQLRETURN {
        SQLRETURN code = ParamData(statement, prgbValue);
        if (code == SQL_STILL_EXECUTING) {
          statement->pending = 1;
          statement->pending_function = SQL_API_SQLPARAMDATA;
        } else if (statement->pending_function == SQL_API_SQLPARAMDATA || statement->pending == 0) {
          statement->pending = 0;
          statement->pending_function = 0;
        }
        return code;
      });
}

SQLRETURN SQLPutDataImpl(SQLHSTMT hstmt, SQLPOINTER rgbValue, SQLLEN cbValue) {
  return StatementEntry(
      hstmt, "SQLPutData",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLPutData(0x%08lx, 0x%08lx, %ld)", TraceAddr(hstmt),
                   TraceAddr(rgbValue), static_cast<long>(cbValue));
      },
      [&](DrvStmt* statement) -> SQLRETURN {
        SQLRETURN code = PutData(statement, rgbValue, cbValue);
        if (code == SQL_STILL_EXECUTING) {
          statement->pending = 1;
          statement->pending_function = SQL_API_SQLPUTDATA;
        } else if (statement->pending_function == SQL_API_SQLPUTDATA) {
          statement->pending = 0;
          statement->pending_function = 0;
        }
        return code;
      });
}
