#include "driver/odbc/statement/exec_params.h"

#include <sqlext.h>

#include <climits>
#include <cstring>
#include <string>

#include "common/memory.h"
#include "common/rec_array.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/convert/type_predicates.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/diag/drv_messages.h"
#include "driver/odbc/statement/param_bigint.h"
#include "driver/odbc/statement/param_binding.h"
#include "wire/column_desc.h"

namespace {

// Room a returned in/out text gets when the application gave no buffer
// length.
constexpr int32_t kDefaultOutRoom = 2048;
// Room for a message template formatted with a parameter number.
constexpr size_t kFormattedRoom = 512;

// The indicator as the checks read it: no indicator means a terminated
// text (or a fixed-size value).
SQLLEN IndicatorOf(const ParamBinding* b) {
  return b->length != nullptr ? *b->length : SQL_NTS;
}

bool IsOutputOnly(const ParamBinding* b) {
  return b->param_type == kParamOutput || b->param_type == kParamReturnValue;
}

// Posts `number` with the text of `piece`, its "%d" replaced by `param`.
// The text may come from a message file, so it is never used as a format.
void PostFormatted(DrvStmt* statement, uint32_t number, uint32_t piece, uint32_t param) {
  char pattern[kFormattedRoom];
  if (DrvMessageText(piece, pattern, sizeof pattern) != 1) pattern[0] = '\0';
  std::string text = pattern;
  size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(param));
  PostStmtError(statement, number, 0, text.c_str());
}

void PostPiece(DrvStmt* statement, uint32_t number, uint32_t piece) {
  char text[kFormattedRoom];
  PostStmtError(statement, number, 0,
                DrvMessageText(piece, text, sizeof text) == 1 ? text : nullptr);
}

// A length the wire's 32-bit fields can carry.
bool FitsWire(SQLLEN length) {
  return length >= 0 && length <= INT32_MAX;
}

// A copy of `length` bytes of `source` in a block of `room` bytes (at least
// length + 1), NUL-terminated at `length`; kept for FreeParamValueCopies.
char* KeepCopy(DrvStmt* statement, const void* source, uint32_t length, size_t room) {
  ParamBuffer& buffer = statement->param_buffer;
  if (buffer.value_copies == nullptr) {
    buffer.value_copies = ArrCreate(4, sizeof(char*), 0, 0);
    if (buffer.value_copies == nullptr) return nullptr;
  }
  if (room < static_cast<size_t>(length) + 1) room = static_cast<size_t>(length) + 1;
  auto* copy = static_cast<char*>(MemAlloc(room));
  if (copy == nullptr) return nullptr;
  if (source != nullptr && length > 0) std::memcpy(copy, source, length);
  copy[length] = '\0';
  if (ArrAppend(buffer.value_copies, &copy) != kArrOk) {
    MemFree(copy);
    return nullptr;
  }
  return copy;
}

// The length a value goes to the server with: -1 for NULL, the indicator
// for a value that follows at execution, else the computed length.
int32_t InputLength(const ParamBinding* b) {
  if (b->is_null != 0) return SQL_NULL_DATA;
  if ((b->flags & kParamAtExec) != 0) {
    // The server is told to expect the value after the execution request.
    SQLLEN indicator = IndicatorOf(b);
    return indicator >= INT32_MIN ? static_cast<int32_t>(indicator) : SQL_DATA_AT_EXEC;
  }
  return static_cast<int32_t>(b->value_length);
}

// A 64-bit integer as the text the server receives in its place.
bool StoreBigIntText(DrvStmt* statement, const ParamBinding* b, ParamValueEntry* entry) {
  char text[kBigIntTextSize];
  uint32_t length = BigIntParamText(b->value, b->c_type, text);
  char* copy = KeepCopy(statement, text, length, length + 1);
  if (copy == nullptr) return false;
  entry->c_type = SQL_C_CHAR;
  entry->value = copy;
  entry->value_length = static_cast<int32_t>(length);
  entry->buffer_length = static_cast<int32_t>(length + 1);
  return true;
}

bool StoreParamValue(DrvStmt* statement, const ParamBinding* b, ParamValueEntry* list,
                     uint16_t count, bool output_list) {
  ParamValueEntry* entry = nullptr;
  for (uint16_t i = 0; i < count && entry == nullptr; ++i) {
    if (list[i].number == 0 || list[i].number == b->number) entry = &list[i];
  }
  if (entry == nullptr) return true;
  entry->number = b->number;
  entry->param_type = b->param_type;
  entry->c_type = b->c_type;
  entry->sql_type = b->sql_type;
  entry->column_size = b->column_size;
  entry->scale = b->scale;
  entry->value = b->value;
  entry->buffer_length = b->buffer_length;
  int32_t input_length = IsOutputOnly(b) ? SQL_NULL_DATA : InputLength(b);
  // A returned value the server leaves out (or sends as NULL) leaves the
  // entry of a value coming back at NULL.
  entry->value_length = output_list ? SQL_NULL_DATA : input_length;
  if (IsBigIntParamType(b->c_type) && input_length >= 0 && !output_list)
    return StoreBigIntText(statement, b, entry);
  bool char_copy = b->c_type == SQL_C_CHAR && input_length >= 0 &&
                   (b->param_type == kParamInput || b->param_type == kParamInputOutput);
  if (!char_copy) return true;
  auto length = static_cast<uint32_t>(input_length);
  size_t room = static_cast<size_t>(length) + 1;
  if (b->param_type == kParamInputOutput) {
    // The returned text is written into the copy, never beyond its size.
    int32_t out_room = b->buffer_length >= 1 ? b->buffer_length : kDefaultOutRoom;
    if (room < static_cast<size_t>(out_room)) room = static_cast<size_t>(out_room);
    entry->buffer_length = room > INT32_MAX ? INT32_MAX : static_cast<int32_t>(room);
  }
  char* copy = KeepCopy(statement, b->value, length, room);
  if (copy == nullptr) return false;
  entry->value = copy;
  return true;
}

ParamValueEntry* NewEntries(uint16_t count) {
  return static_cast<ParamValueEntry*>(MemAlloc(sizeof(ParamValueEntry) * count));
}

// The returned text of an in/out parameter into the application's buffer.
bool CopyBackText(const ParamBinding* b, const ParamValueEntry& entry) {
  if (b->app_value == nullptr || entry.value == nullptr || entry.value == b->app_value)
    return entry.value_length < b->buffer_length;
  auto* target = static_cast<char*>(b->app_value);
  if (b->buffer_length < 1) return entry.value_length <= 0;
  auto room = static_cast<size_t>(b->buffer_length);
  size_t n =
      strnlen(static_cast<const char*>(entry.value), static_cast<size_t>(entry.value_length));
  if (n > room - 1) n = room - 1;
  std::memcpy(target, entry.value, n);
  target[n] = '\0';
  return entry.value_length < b->buffer_length;
}

}  // namespace

ParamBinding* ParamBindingAt(DrvStmt* statement, uint32_t index) {
  RecArray* bindings = statement->param_bindings;
  if (bindings == nullptr || index >= ArrCount(bindings)) return nullptr;
  return static_cast<ParamBinding*>(ArrAt(bindings, index));
}

bool ComputeParamLength(DrvStmt* statement, ParamBinding* b) {
  if (b->is_null != 0) {
    b->value_length = 0;
    return true;
  }
  if (IsBigIntParamType(b->c_type)) {
    b->value_length = sizeof(int64_t);
    return true;
  }
  if (b->c_type != SQL_C_CHAR && b->c_type != SQL_C_BINARY) {
    b->value_length = DisplaySizeOf(b->value, b->c_type);
    return true;
  }
  bool at_exec = (b->flags & kParamAtExec) != 0;
  SQLLEN indicator = b->length != nullptr ? *b->length : SQL_NTS;
  bool has_indicator = b->length != nullptr;
  if (at_exec) {
    b->value_length = b->accumulated != nullptr ? b->accumulated_length : 0;
    return true;
  }
  if (b->c_type == SQL_C_BINARY) {
    if (has_indicator && FitsWire(indicator)) {
      b->value_length = static_cast<uint32_t>(indicator);
      return true;
    }
  } else if (has_indicator && indicator >= 0) {
    if (FitsWire(indicator)) {
      b->value_length = static_cast<uint32_t>(indicator);
      return true;
    }
  } else if (indicator == SQL_NTS) {
    size_t n = b->value != nullptr ? std::strlen(static_cast<const char*>(b->value)) : 0;
    if (FitsWire(static_cast<SQLLEN>(n))) {
      b->value_length = static_cast<uint32_t>(n);
      return true;
    }
  } else {
    return true;
  }
  PostPiece(statement, kMsgErrInvalStrLen, kMsgDrsInvPcbval);
  return false;
}

bool CheckParamLength(DrvStmt* statement, ParamBinding* b) {
  if (!TypesCompatible(b->c_type, b->sql_type)) return true;
  SQLLEN indicator = IndicatorOf(b);
  if (!(indicator >= 1 || indicator == SQL_NTS || IsDataAtExecLength(indicator))) return true;
  if (b->value_length <= b->column_size) return true;
  PostFormatted(statement, kMsgErrPrmRightTrunc, kMsgDrsStrLeninv, b->number);
  return false;
}

SQLRETURN PrepareExecParams(DrvStmt* statement) {
  // A data-at-execution sequence left unfinished is over: the server
  // dropped it with the new request.
  statement->param_data_pending = 0;
  if (statement->marker_count == 0) return SQL_SUCCESS;
  statement->data_at_exec_param = -1;
  statement->data_at_exec_phase = 0;
  bool missing = false;
  bool need_data = false;
  for (uint32_t i = 0; i < statement->marker_count; ++i) {
    ParamBinding* b = ParamBindingAt(statement, i);
    if (b == nullptr || (b->flags & kParamBound) == 0) {
      PostFormatted(statement, kMsgErrPrmNotSet, kMsgDrsPrmNotcalled, i + 1);
      missing = true;
      continue;
    }
    b->flags &= static_cast<uint16_t>(
        ~(kParamDataReceived | kParamCharData | kParamLongData | kParamAtExec));
    b->is_null = 0;
    b->value = b->app_value;
    if (IsOutputOnly(b)) {
      // An output parameter's indicator is written, not read.
      b->value_length = 0;
      continue;
    }
    SQLLEN indicator = IndicatorOf(b);
    bool at_exec = IsDataAtExecLength(indicator);
    if (at_exec) {
      b->flags |= kParamAtExec;
      need_data = true;
    }
    if (b->c_type == SQL_C_CHAR) b->flags |= kParamCharData;
    bool fixed = IsNonStringCType(b->c_type);
    if (b->app_value == nullptr && !at_exec &&
        ((indicator != SQL_NULL_DATA && indicator != 0 && indicator != SQL_DEFAULT_PARAM) ||
         (indicator == 0 && fixed))) {
      PostPiece(statement, kMsgErrInvalStrLen, kMsgDrsRgbNull);
      return SQL_ERROR;
    }
    if (!fixed && indicator < 0 && indicator != SQL_NTS && indicator != SQL_NULL_DATA &&
        indicator != SQL_DEFAULT_PARAM && !at_exec) {
      PostPiece(statement, kMsgErrInvalStrLen, kMsgDrsInvPcbval);
      return SQL_ERROR;
    }
    if (indicator == SQL_NULL_DATA) b->is_null = 1;
    if (!ComputeParamLength(statement, b) || !CheckParamLength(statement, b)) return SQL_ERROR;
  }
  if (missing) return SQL_ERROR;
  return need_data ? SQL_NEED_DATA : SQL_SUCCESS;
}

SQLRETURN SendExecParams(DrvStmt* statement) {
  bool info = false;
  for (uint32_t i = 0; i < statement->marker_count; ++i) {
    ParamBinding* b = ParamBindingAt(statement, i);
    if (b == nullptr || (b->flags & kParamLongData) != 0) continue;
    if ((b->flags & kParamAtExec) != 0) {
      b->value = b->accumulated;
      if (!ComputeParamLength(statement, b) || !CheckParamLength(statement, b)) return SQL_ERROR;
    } else {
      b->value = b->app_value;
    }
    SQLRETURN code = BuildParamBuffer(statement, i);
    if (code == SQL_ERROR) return code;
    if (code == SQL_SUCCESS_WITH_INFO) info = true;
  }
  return info ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN PrepareExecuteParams(DrvStmt* statement) {
  if (statement->param_bindings == nullptr || ArrCount(statement->param_bindings) == 0)
    return SQL_SUCCESS;
  statement->param_buffer.built = 0;
  if (statement->marker_count == 0) {
    FreeStmtParamBuffers(statement);
    return SQL_SUCCESS;
  }
  bool info = false;
  for (uint32_t i = 0; i < statement->marker_count; ++i) {
    SQLRETURN code = BuildParamBuffer(statement, i);
    if (code == SQL_ERROR) return code;
    if (code == SQL_SUCCESS_WITH_INFO) info = true;
  }
  return info ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN BuildParamBuffer(DrvStmt* statement, uint32_t index) {
  ParamBuffer& buffer = statement->param_buffer;
  if (index == 0 && buffer.built == 0) {
    FreeStmtParamBuffers(statement);
    uint32_t in_count = 0;
    uint32_t out_count = 0;
    for (uint32_t i = 0; i < statement->marker_count; ++i) {
      const ParamBinding* b = ParamBindingAt(statement, i);
      if (b == nullptr) continue;
      if (b->param_type == kParamInput || b->param_type == kParamInputOutput) ++in_count;
      if (b->param_type == kParamInputOutput || IsOutputOnly(b)) ++out_count;
    }
    if (in_count > UINT16_MAX || out_count > UINT16_MAX) {
      PostStmtError(statement, kMsgErrInvalParam, 0, nullptr);
      return SQL_ERROR;
    }
    if (in_count > 0) buffer.in_list = NewEntries(static_cast<uint16_t>(in_count));
    if (out_count > 0) buffer.out_list = NewEntries(static_cast<uint16_t>(out_count));
    if ((in_count > 0 && buffer.in_list == nullptr) ||
        (out_count > 0 && buffer.out_list == nullptr)) {
      FreeStmtParamBuffers(statement);
      PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
      return SQL_ERROR;
    }
    buffer.in_count = static_cast<uint16_t>(in_count);
    buffer.out_count = static_cast<uint16_t>(out_count);
    buffer.built = 1;
  }
  const ParamBinding* b = ParamBindingAt(statement, index);
  if (b == nullptr) return SQL_SUCCESS;
  bool stored = true;
  if (b->param_type == kParamInput || b->param_type == kParamInputOutput)
    stored = StoreParamValue(statement, b, buffer.in_list, buffer.in_count, false);
  if (stored && (b->param_type == kParamInputOutput || IsOutputOnly(b)))
    stored = StoreParamValue(statement, b, buffer.out_list, buffer.out_count, true);
  if (stored) return SQL_SUCCESS;
  PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
  return SQL_ERROR;
}

void FreeParamValueCopies(DrvStmt* statement) {
  ParamBuffer& buffer = statement->param_buffer;
  buffer.built = 0;
  if (buffer.value_copies == nullptr) return;
  for (uint32_t i = 0; i < ArrCount(buffer.value_copies); ++i)
    MemFree(*static_cast<char**>(ArrAt(buffer.value_copies, i)));
  ArrDestroy(buffer.value_copies);
  buffer.value_copies = nullptr;
}

void FreeStmtParamBuffers(DrvStmt* statement) {
  FreeParamValueCopies(statement);
  ParamBuffer& buffer = statement->param_buffer;
  MemFree(buffer.in_list);
  MemFree(buffer.out_list);
  buffer = ParamBuffer{};
}

void FreeParamBindings(DrvStmt* statement) {
  RecArray* bindings = statement->param_bindings;
  if (bindings == nullptr) return;
  for (uint32_t i = 0; i < ArrCount(bindings); ++i) {
    auto* b = static_cast<ParamBinding*>(ArrAt(bindings, i));
    MemFree(b->accumulated);
    *b = ParamBinding{};
  }
  ArrDestroy(bindings);
  statement->param_bindings = nullptr;
}

SQLRETURN BuildParamDescs(DrvStmt* statement, const LnaParamDesc* params, uint16_t count) {
  ArrDestroy(statement->param_descs);
  statement->param_descs = nullptr;
  statement->marker_count = count;
  if (count == 0 || params == nullptr) return SQL_SUCCESS;
  statement->param_descs = ArrCreate(count, sizeof(LnaParamDesc), 0, 0);
  bool stored = statement->param_descs != nullptr;
  for (uint16_t i = 0; stored && i < count; ++i)
    stored = ArrAppend(statement->param_descs, &params[i]) == kArrOk;
  if (stored) return SQL_SUCCESS;
  ArrDestroy(statement->param_descs);
  statement->param_descs = nullptr;
  PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
  return SQL_ERROR;
}

SQLRETURN ReturnOutputParams(DrvStmt* statement) {
  const ParamBuffer& buffer = statement->param_buffer;
  bool truncated = false;
  for (uint32_t i = 0; i < statement->marker_count; ++i) {
    ParamBinding* b = ParamBindingAt(statement, i);
    if (b == nullptr || !(b->param_type == kParamInputOutput || IsOutputOnly(b))) continue;
    const ParamValueEntry* entry = nullptr;
    for (uint16_t k = 0; k < buffer.out_count && entry == nullptr; ++k) {
      if (buffer.out_list[k].number == b->number) entry = &buffer.out_list[k];
    }
    if (entry == nullptr) continue;
    if (b->length != nullptr) *b->length = entry->value_length;
    if (b->c_type != SQL_C_CHAR || entry->value_length < 0) continue;
    // A text that filled the buffer lost its end: the indicator keeps the
    // whole length and the application is told.
    if (!CopyBackText(b, *entry)) truncated = true;
  }
  if (!truncated) return SQL_SUCCESS;
  PostStmtError(statement, kMsgErrDataTruncation, 0, nullptr);
  return SQL_SUCCESS_WITH_INFO;
}
