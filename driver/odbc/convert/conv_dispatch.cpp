#include "driver/odbc/convert/conv_dispatch.h"

#include <sqltypes.h>

#include <cstring>
#include <optional>

#include "common/memory.h"
#include "common/shared_mutex.h"
#include "driver/odbc/convert/conv_compact.h"
#include "driver/odbc/convert/conv_tables.h"
#include "driver/odbc/convert/type_predicates.h"
#include "driver/odbc/core/message_ids.h"

namespace {

constexpr int32_t kNts = -3;
constexpr size_t kStackText = 260;

// What a binary target stands for when the caller asks for the source's
// own C form.
int16_t BinaryTargetFor(int16_t source_type) {
  switch (source_type) {
    case kSqlBigInt:
    case kSqlLongVarChar:
    case kSqlChar:
    case kSqlNumeric:
    case kSqlDecimal:
    case kSqlVarChar:
      return kSqlChar;
    case kSqlLongVarBinary:
    case kSqlVarBinary:
    case kSqlBinary:
      return kSqlBinary;
    case kSqlFloat:
    case kSqlDouble:
      return kSqlDouble;
    default:  // bit, tinyint, integer, smallint, real, date, time, timestamp, others
      return source_type;
  }
}

bool IsBinaryCode(int16_t code) {
  return code == kSqlBinary || code == kSqlVarBinary || code == kSqlLongVarBinary;
}

// A routine's result as ConvertValue gives it on: one of the routines' own,
// else a failure.
int32_t MapRoutineResult(int32_t result) {
  switch (result) {
    case kConvOk:
    case kConvTruncated:
    case kConvOutOfRange:
    case kConvInvalidText:
    case kConvInvalidDateTime:
    case kConvNoMemory:
      return result;
    default:
      return kConvFailed;
  }
}

// The source as the routine reads it: a counted CHAR text gets its NUL in a
// work buffer, ODBC date and time structures their compact form.
class PreparedSource {
 public:
  ~PreparedSource() { MemFree(heap_); }

  // kConvOk, or the result to give up with.
  int32_t Prepare(const void* source, int16_t type, int32_t length) {
    data_ = source;
    if (source == nullptr) return kConvOk;
    switch (type) {
      case kSqlChar: {
        if (length == kNts) return kConvOk;
        // Any other negative length would be read as a huge count.
        if (length < 0) return kConvInvalidText;
        size_t size = static_cast<size_t>(length) + 1;
        char* text = stack_;
        if (size > sizeof stack_) {
          heap_ = static_cast<char*>(MemAlloc(size));
          if (heap_ == nullptr) return kConvNoMemory;
          text = heap_;
        }
        if (length > 0) std::memcpy(text, source, static_cast<size_t>(length));
        text[length] = '\0';
        data_ = text;
        return kConvOk;
      }
      case kSqlDate: {
        const auto& value = *static_cast<const DATE_STRUCT*>(source);
        if (!FitsCompact(value)) return kConvInvalidDateTime;
        date_ = PackDate(value);
        data_ = &date_;
        return kConvOk;
      }
      case kSqlTime: {
        const auto& value = *static_cast<const TIME_STRUCT*>(source);
        if (!FitsCompact(value)) return kConvInvalidDateTime;
        time_ = PackTime(value);
        data_ = &time_;
        return kConvOk;
      }
      case kSqlTimestamp: {
        const auto& value = *static_cast<const TIMESTAMP_STRUCT*>(source);
        if (!FitsCompact(value)) return kConvInvalidDateTime;
        timestamp_ = PackTimestamp(value);
        data_ = &timestamp_;
        return kConvOk;
      }
      default:
        return kConvOk;
    }
  }

  const void* data() const { return data_; }

 private:
  const void* data_ = nullptr;
  char stack_[kStackText];
  char* heap_ = nullptr;
  CompactDate date_;
  CompactTime time_;
  CompactTimestamp timestamp_;
};

}  // namespace

namespace {

int32_t Convert(bool lock, const void* source, int16_t source_type, int32_t source_length,
                int restriction, void* target, int16_t target_type, int32_t target_length,
                int32_t precision, int16_t scale, int32_t* out_length, int source_unsigned) {
  int32_t local_length = 0;
  if (out_length == nullptr) out_length = &local_length;

  bool own_form = target_type == kSqlBinary && restriction == 0;
  if (own_form) target_type = BinaryTargetFor(source_type);
  if (restriction == 1 && IsBinaryCode(target_type) && source_type != kSqlChar &&
      source_type != kSqlBinary) {
    return kConvUnsupported;
  }
  if (source_unsigned != 0 &&
      (source_type == kSqlSmallInt || source_type == kSqlTinyInt || source_type == kSqlInteger)) {
    source_type = static_cast<int16_t>(source_type - 22);  // the unsigned C types
  }

  // One hold from the lookup to the routine's result, so the rows found
  // stay the rows used.
  int32_t result;
  {
    std::optional<SharedMutexHold> hold;
    if (lock) hold.emplace(ConvLock());
    uint32_t source_row = kConvNoRow;
    uint32_t target_row = kConvNoRow;
    ConvRoutine routine = ConvLookupHeld(source_type, target_type, &source_row, &target_row);
    if (routine == nullptr) return kConvUnsupported;
    // A binary buffer that stands for a fixed-size C form must hold all of
    // it: the routines and the unpacking write the whole value.
    if (own_form && target_type != kSqlChar && target_type != kSqlBinary) {
      uint32_t size = DisplaySizeOf(nullptr, target_type);
      if (target_length < 0 || static_cast<uint32_t>(target_length) < size) return kConvOutOfRange;
    }

    PreparedSource prepared;
    result = prepared.Prepare(source, source_type, source_length);
    if (result != kConvOk) return result;

    CompactDate date = {};
    CompactTime time = {};
    CompactTimestamp timestamp = {};
    void* routine_target = target;
    if (target_type == kSqlDate) routine_target = &date;
    if (target_type == kSqlTime) routine_target = &time;
    if (target_type == kSqlTimestamp) routine_target = &timestamp;

    int16_t from = ConvTypeRow(source_row)->routine_class;
    int16_t to = ConvTypeRow(target_row)->routine_class;
    result = MapRoutineResult(routine(prepared.data(), from, source_length, routine_target, to,
                                      target_length, precision, scale, out_length));
    if (result != kConvOk && result != kConvTruncated) return result;

    if (target != nullptr) {
      if (target_type == kSqlDate) {
        *static_cast<DATE_STRUCT*>(target) = UnpackDate(date);
        *out_length = sizeof(DATE_STRUCT);
      } else if (target_type == kSqlTime) {
        *static_cast<TIME_STRUCT*>(target) = UnpackTime(time);
        *out_length = sizeof(TIME_STRUCT);
      } else if (target_type == kSqlTimestamp) {
        *static_cast<TIMESTAMP_STRUCT*>(target) = UnpackTimestamp(timestamp);
        *out_length = sizeof(TIMESTAMP_STRUCT);
      }
    }
  }
  return result;
}

}  // namespace

int32_t ConvertValue(const void* source, int16_t source_type, int32_t source_length,
                     int restriction, void* target, int16_t target_type, int32_t target_length,
                     int32_t precision, int16_t scale, int32_t* out_length, int source_unsigned) {
  return Convert(true, source, source_type, source_length, restriction, target, target_type,
                 target_length, precision, scale, out_length, source_unsigned);
}

int32_t ConvertValueHeld(const void* source, int16_t source_type, int32_t source_length,
                         int restriction, void* target, int16_t target_type, int32_t target_length,
                         int32_t precision, int16_t scale, int32_t* out_length,
                         int source_unsigned) {
  return Convert(false, source, source_type, source_length, restriction, target, target_type,
                 target_length, precision, scale, out_length, source_unsigned);
}

int32_t ConvertValueEntry(const void* source, int16_t source_type, int32_t source_length,
                          int restriction, void* target, int16_t target_type, int32_t target_length,
                          int32_t precision, int16_t scale, int32_t* out_length) {
  return ConvertValue(source, source_type, source_length, restriction, target, target_type,
                      target_length, precision, scale, out_length, 0);
}

uint32_t ConvResultToMessage(int32_t result) {
  switch (result) {
    case kConvOk:
      return kMsgErrSuccess;
    case kConvNoMemory:
      return kMsgErrOutOfMemory;
    case kConvTruncated:
      return kMsgErrDataTruncation;
    case kConvOutOfRange:
      return kMsgErrOutOfRange;
    case kConvInvalidText:
      return kMsgErrAssignment;
    case kConvInvalidDateTime:
      return kMsgErrDatefield;
    case kConvUnsupported:
      return kMsgErrRestrictedConversion;
    default:
      return kMsgErrGeneric;
  }
}

int16_t DefaultCTypeForSqlType(int16_t sql_type) {
  switch (sql_type) {
    case kSqlBit:
      return kSqlTinyInt;
    case kSqlBigInt:
    case kSqlLongVarChar:
    case kSqlNumeric:
    case kSqlDecimal:
    case kSqlVarChar:
      return kSqlChar;
    case kSqlLongVarBinary:
    case kSqlVarBinary:
      return kSqlBinary;
    case kSqlFloat:
    case kSqlDouble:
      return kSqlDouble;
    default:  // integer, smallint, real, tinyint, binary, char, dates, unknown codes
      return sql_type;
  }
}
