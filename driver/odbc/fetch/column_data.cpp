#include "driver/odbc/fetch/column_data.h"

#include <sqlext.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>

#include "driver/lna/lna_call.h"
#include "driver/odbc/convert/conv_dispatch.h"
#include "driver/odbc/convert/type_predicates.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/drv_messages.h"
#include "driver/odbc/fetch/column_binding.h"
#include "driver/odbc/fetch/column_desc.h"
#include "driver/odbc/fetch/fetch_buffers.h"
#include "driver/odbc/fetch/local_rows.h"
#include "driver/odbc/fetch/result_set.h"

namespace {

constexpr uint32_t kAsyncLongData = 4;
constexpr int32_t kLongPart = 32250;
constexpr int32_t kLongPartMin = 32251;
constexpr uint32_t kUnlimited = 0x7FFFFFFF;
constexpr int16_t kDecimalText = SQL_DECIMAL;

bool LimitHasNul(int16_t sql_type) {
  return sql_type == SQL_LONGVARCHAR || sql_type == SQL_VARCHAR || sql_type == SQL_CHAR ||
         sql_type == SQL_NUMERIC || sql_type == SQL_DECIMAL;
}

bool IsNumericText(int16_t sql_type) {
  return sql_type == SQL_NUMERIC || sql_type == SQL_DECIMAL;
}

// The C type a piece is really converted to: a binary target receives the
// value in the form it was delivered in.
int16_t EffectiveTarget(int16_t delivered, int16_t c_type) {
  if (c_type != SQL_C_BINARY) return c_type;
  return delivered == SQL_C_CHAR ? SQL_C_CHAR : SQL_C_BINARY;
}

// ODBC 3 applications read BIGINT columns as 64-bit integers, a C type the
// conversion tables do not know: the value goes through its exact decimal
// text, which every numeric source converts to.
// ConvertValue, under the lock the row's transfer holds when it does.
int32_t ConvertForStatement(const DrvStmt* statement, const void* source, int16_t source_type,
                            int32_t source_length, void* target, int16_t target_type,
                            int32_t target_length, int32_t precision, int16_t scale,
                            int32_t* out_length, int source_unsigned) {
  return statement->converting_row != 0
             ? ConvertValueHeld(source, source_type, source_length, 0, target, target_type,
                                target_length, precision, scale, out_length, source_unsigned)
             : ConvertValue(source, source_type, source_length, 0, target, target_type,
                            target_length, precision, scale, out_length, source_unsigned);
}

int32_t ConvertToBigInt(const DrvStmt* statement, const void* source, int16_t source_type,
                        int32_t source_length, void* target, int16_t target_type,
                        int32_t target_length, int32_t* out_length) {
  char text[64];
  int32_t text_length = 0;
  int32_t result = ConvertForStatement(statement, source, source_type, source_length, text,
                                       SQL_C_CHAR, sizeof text, 0, 0, &text_length, 0);
  // A cut text has lost digits: the value cannot be told.
  if (result != kConvOk) return result == kConvTruncated ? kConvOutOfRange : result;
  const char* end = text + std::strlen(text);
  const char* dot = std::find(static_cast<const char*>(text), end, '.');
  int64_t value = 0;
  auto [stop, error] = std::from_chars(text[0] == '+' ? text + 1 : text, dot, value);
  if (error == std::errc::result_out_of_range) return kConvOutOfRange;
  if (error != std::errc{} || stop != dot) return kConvInvalidText;
  bool fraction = dot != end && std::any_of(dot + 1, end, [](char c) { return c != '0'; });
  if (target_type == SQL_C_UBIGINT && value < 0) return kConvOutOfRange;
  if (target == nullptr || (target_length > 0 && target_length < 8)) return kConvOutOfRange;
  std::memcpy(target, &value, sizeof value);
  *out_length = sizeof value;
  return fraction ? kConvTruncated : kConvOk;
}

bool IsBigIntTarget(int16_t c_type) {
  return c_type == SQL_C_SBIGINT || c_type == SQL_C_UBIGINT;
}

SQLRETURN ConvertFetched(DrvStmt* statement, uint16_t icol, ColumnDesc* column,
                         const LnaFetchSlot& slot, void* buffer, int32_t* length, int16_t c_type) {
  int32_t held = 0;
  const void* value = LnaFetchedValue(statement->lna, icol, &slot, &held);
  uint32_t offset = std::min<uint32_t>(column->retrieval[kRetrievalOffset], held);
  const char* source = static_cast<const char*>(value) + offset;
  int32_t source_length = held - static_cast<int32_t>(offset);
  int16_t sql_type = ColumnSqlType(statement, column);
  int16_t target = c_type;
  if (c_type == SQL_C_CHAR && IsNumericText(sql_type)) target = kDecimalText;
  int16_t scale = column->scale == kNoScale ? 0 : column->scale;
  int32_t out = 0;
  int32_t result =
      IsBigIntTarget(c_type)
          ? ConvertToBigInt(statement, source, slot.c_type, source_length, buffer, c_type, *length,
                            &out)
          : ConvertForStatement(statement, source, slot.c_type, source_length, buffer, target,
                                *length, static_cast<int32_t>(column->precision), scale, &out,
                                (column->attributes & kColValueRetrieval) != 0 ? 1 : 0);
  if (result == kConvOk) {
    column->retrieval[kRetrievalOffset] = static_cast<uint32_t>(held);
    *length = out;
    return SQL_SUCCESS;
  }
  if (result == kConvTruncated) {
    int32_t moved = TransferLength(slot.c_type, *length, EffectiveTarget(slot.c_type, c_type));
    column->retrieval[kRetrievalOffset] = offset + static_cast<uint32_t>(std::max(moved, 0));
    *length = out;
    return SQL_SUCCESS_WITH_INFO;
  }
  PostStmtError(statement, ConvResultToMessage(result), 0, nullptr);
  return SQL_ERROR;
}

SQLRETURN LongData(DrvStmt* statement, uint16_t icol, void* buffer, int32_t* length,
                   int16_t c_type) {
  uint8_t async = StmtIsAsync(statement) ? 1 : 0;
  int32_t want = *length;
  int32_t total = SQL_NO_TOTAL;
  int16_t status;
  if (want >= kLongPartMin) {
    // Two requests: the second starts on the first part's NUL.
    int32_t first = c_type == SQL_C_CHAR ? kLongPart - 1 : kLongPart;
    status = LnaGetLongDataSP(statement->lna, icol, c_type, buffer, kLongPart, &total, async);
    if (status == kLnaServerError) {
      status = LnaGetLongDataSP(statement->lna, icol, c_type, buffer, want, &total, async);
    } else if ((status == kLnaOk || status == kLnaInfo) &&
               (total == SQL_NO_TOTAL || total > first)) {
      int32_t rest_total = 0;
      status = LnaGetLongDataSP(statement->lna, icol, c_type, static_cast<char*>(buffer) + first,
                                want - first, &rest_total, async);
      if (status == kLnaNoData) status = kLnaOk;
    }
  } else {
    status = LnaGetLongDataSP(statement->lna, icol, c_type, buffer, want, &total, async);
  }
  SQLRETURN code = DrvStmtStatus(statement, status);
  statement->async_step = code == SQL_STILL_EXECUTING ? kAsyncLongData : 0;
  *length = total;
  return code;
}

SQLRETURN FetchColumnValue(DrvStmt* statement, uint16_t icol, void* buffer, int32_t* length,
                           int16_t c_type) {
  LnaFetchSlot* slot = FetchSlot(statement, icol);
  ColumnDesc* column = ResultColumn(statement, icol);
  if (slot == nullptr || column == nullptr) {
    PostStmtError(statement, kMsgErrInvalColumn, 0, nullptr);
    return SQL_ERROR;
  }
  if (statement->async_step != kAsyncLongData && slot->result_length == SQL_NULL_DATA) {
    *length = SQL_NULL_DATA;
    return SQL_SUCCESS;
  }
  if (LnaColumnFetched(statement->lna, icol))
    return ConvertFetched(statement, icol, column, *slot, buffer, length, c_type);
  return LongData(statement, icol, buffer, length, c_type);
}

// The limit SQL_MAX_LENGTH puts on a column of this type, 0 when none.
uint32_t LengthLimit(const DrvStmt* statement, int16_t sql_type) {
  uint32_t max_length = statement->options.slot[kOptMaxLength];
  if (IsFixedSizeType(sql_type) || max_length == 0) return 0;
  if (LimitHasNul(sql_type) && max_length != kUnlimited) return max_length + 1;
  return max_length;
}

void PostTruncation(DrvStmt* statement, uint16_t icol) {
  char format[256];
  char text[300];
  if (DrvMessageText(kMsgDrsDataTrunc, format, sizeof format) == 1) {
    std::snprintf(text, sizeof text, format, static_cast<int>(icol));
    PostStmtError(statement, kMsgErrDataTruncation, 0, text);
  } else {
    PostStmtError(statement, kMsgErrDataTruncation, 0, nullptr);
  }
}

// The value routine for a server row, in passes for a buffer larger than
// one pass may fill. *total the length at the start, *handed the bytes put
// in the buffer (text without its NUL).
SQLRETURN ServerValue(DrvStmt* statement, uint16_t icol, int16_t c_type, void* buffer,
                      int32_t usable, int32_t* total, int32_t* handed) {
  if (usable < kMaxPass + 1)
    return DrvGetColumnValue(statement, icol, c_type, buffer, usable, total, handed);
  char* at = static_cast<char*>(buffer);
  int32_t left = usable;
  *handed = 0;
  SQLRETURN code = SQL_SUCCESS;
  bool first = true;
  while (left > 0) {
    // The truncation a pass posts is the pass's, not the buffer's: only the
    // last pass's diagnostics stay.
    if (!first) ClearHandleErrors(nullptr, nullptr, statement);
    int32_t pass_total = 0;
    int32_t pass_returned = 0;
    int32_t pass = std::min(left, kMaxPass);
    code = DrvGetColumnValue(statement, icol, c_type, at, pass, &pass_total, &pass_returned);
    if (first) *total = pass_total;
    first = false;
    if (code != SQL_SUCCESS && code != SQL_SUCCESS_WITH_INFO) break;
    if (pass_total == SQL_NULL_DATA) {
      *total = SQL_NULL_DATA;
      break;
    }
    int32_t step = std::max(pass_returned, 0);
    *handed += step;
    at += step;
    left -= step;
    if (code != SQL_SUCCESS_WITH_INFO || step == 0) break;
  }
  return code;
}

}  // namespace

int32_t TransferLength(int16_t delivered, int32_t count, int16_t target) {
  if (delivered == SQL_C_BINARY) {
    if (target == SQL_C_CHAR || target == SQL_NUMERIC) return count > 0 ? (count - 1) / 2 : 0;
    if (target == SQL_C_BINARY) return count;
    return 0;
  }
  if (delivered == SQL_C_CHAR) {
    if (target == SQL_C_CHAR) return count > 0 ? count - 1 : 0;
    if (target == SQL_NUMERIC) return count;
    if (target == SQL_C_BINARY) return count;
  }
  return 0;
}

bool ColumnRetrieval(const DrvStmt* statement, uint32_t icol, RetrievalState* state) {
  // Server and local result sets alike keep the words in their ColumnDesc.
  ColumnDesc* column = ResultColumn(statement, icol);
  if (column == nullptr) return false;
  *state = {&column->retrieval[kRetrievalExhausted], &column->retrieval[kRetrievalOffset],
            &column->returned_length};
  return true;
}

void ResetRetrieval(const DrvStmt* statement, uint32_t icol) {
  RetrievalState state;
  if (!ColumnRetrieval(statement, icol, &state)) return;
  *state.exhausted = 0;
  *state.offset = 0;
  *state.handed = 0;
}

void ClearRetrievalState(DrvStmt* statement) {
  uint32_t count = ResultColumnCount(statement);
  for (uint32_t i = 1; i <= count; ++i) ResetRetrieval(statement, i);
}

SQLRETURN DrvGetColumnValue(DrvStmt* statement, uint16_t icol, int16_t c_type, void* buffer,
                            int32_t buffer_length, int32_t* total, int32_t* returned) {
  *total = SQL_NO_TOTAL;
  *returned = SQL_NO_TOTAL;
  int32_t length = buffer_length;
  SQLRETURN code = FetchColumnValue(statement, icol, buffer, &length, c_type);
  *total = length;
  // Without a total the piece filled the buffer.
  *returned = length == SQL_NO_TOTAL ? buffer_length : std::min(buffer_length, length);
  bool fitted = length < buffer_length && length != SQL_NO_TOTAL && length >= 0;
  if (c_type == SQL_C_CHAR && !fitted && *returned >= 1) --*returned;
  return code;
}

SQLRETURN GetColumnData(DrvStmt* statement, uint16_t icol, int16_t c_type, void* buffer,
                        SQLLEN buffer_length, SQLLEN* length, bool from_fetch) {
  if (!from_fetch && BoundColumn(statement, icol) != nullptr) {
    PostStmtError(statement, kMsgErrInvalColumn, 0, nullptr);
    return SQL_ERROR;
  }
  RetrievalState state;
  if (!ColumnRetrieval(statement, icol, &state)) {
    PostStmtError(statement, kMsgErrInvalColumn, 0, nullptr);
    return SQL_ERROR;
  }
  if (*state.exhausted != 0) return SQL_NO_DATA_FOUND;
  bool local =
      statement->result_kind == kLocalTypeList || statement->result_kind == kLocalTableTypes;
  SQLLEN local_length = 0;
  if (length == nullptr) length = &local_length;

  // Lengths of this interface are 32-bit; a larger buffer is used up to
  // what they can say, a negative one as none.
  auto usable = static_cast<int32_t>(
      std::clamp<SQLLEN>(buffer_length, 0, std::numeric_limits<int32_t>::max()));
  if (buffer == nullptr) usable = 0;
  const ColumnDesc* column = local ? nullptr : ResultColumn(statement, icol);
  int16_t sql_type = local ? LocalColumnSqlType(statement, icol) : ColumnSqlType(statement, column);
  uint32_t limit = LengthLimit(statement, sql_type);
  uint32_t before = *state.handed;
  bool limited = false;
  if (limit != 0 && static_cast<uint64_t>(before) + static_cast<uint64_t>(usable) > limit) {
    usable = static_cast<int32_t>(limit > before ? limit - before : 0);
    limited = true;
  }

  SQLRETURN code;
  int32_t total = SQL_NO_TOTAL;
  int32_t handed = 0;
  bool binary_as_text = false;
  if (local) {
    code = GetLocalColumnValue(statement, icol, c_type, buffer, usable, &total, &handed);
  } else {
    if (c_type == SQL_C_DEFAULT) {
      c_type = TypeInfoDefaultCType(statement->conn, column->type_index);
      if (c_type == 0) c_type = DefaultCTypeForSqlType(sql_type);
    }
    LnaFetchSlot* slot = FetchSlot(statement, icol);
    binary_as_text = c_type == SQL_C_CHAR && slot != nullptr && slot->c_type == SQL_C_BINARY;
    code = ServerValue(statement, icol, c_type, buffer, usable, &total, &handed);
  }

  if (code == SQL_STILL_EXECUTING) {
    statement->pending = 1;
    statement->pending_function = from_fetch ? SQL_API_SQLFETCH : SQL_API_SQLGETDATA;
    return code;
  }
  statement->pending = 0;
  statement->pending_function = 0;
  if (code == SQL_ERROR || code == SQL_INVALID_HANDLE) {
    *state.exhausted = 1;
    return code;
  }
  if (code == SQL_NO_DATA_FOUND) {
    *state.exhausted = 1;
    return code;
  }
  bool truncated = false;
  if (code == SQL_SUCCESS_WITH_INFO) {
    truncated = true;
    // Cut by the conversion itself, not by the limit: the limit has no say.
    if (!limited) limit = 0;
  }
  if (total == SQL_NULL_DATA) {
    *state.exhausted = 1;
    if (c_type == SQL_C_CHAR && buffer != nullptr && usable >= 1)
      static_cast<char*>(buffer)[0] = '\0';
    *length = SQL_NULL_DATA;
    return SQL_SUCCESS;
  }
  if (IsNonStringCType(c_type) || IsNumericText(sql_type)) {
    *state.exhausted = 1;
  } else if (total != SQL_NO_TOTAL) {
    if (total <= handed) {
      *state.exhausted = 1;
    } else {
      *state.handed += static_cast<uint32_t>(binary_as_text ? handed / 2 : handed);
      truncated = true;
    }
  } else {
    *state.handed += static_cast<uint32_t>(std::max(handed, 0));
    truncated = true;
  }
  *length = total;

  if (limit != 0) {
    if (!truncated) return SQL_SUCCESS;
    uint32_t remainder = limit > before ? limit - before : 0;
    if (total == SQL_NO_TOTAL || static_cast<uint32_t>(total) > remainder) *length = handed;
    if (static_cast<uint64_t>(before) + static_cast<uint64_t>(usable) >= limit) {
      *state.exhausted = 1;
      if (c_type == SQL_C_CHAR && buffer != nullptr && usable > 0)
        *length = static_cast<SQLLEN>(strnlen(static_cast<const char*>(buffer), usable));
      return SQL_SUCCESS;
    }
  }
  if (truncated) {
    PostTruncation(statement, icol);
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}
