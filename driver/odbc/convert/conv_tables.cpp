#include "driver/odbc/convert/conv_tables.h"

#include <array>
#include <cstring>

#include "common/memory.h"
#include "common/shared_mutex.h"
#include "driver/odbc/convert/conv_routines.h"

namespace {

// SQL types first, then C types: lookup takes the first row with a code, so
// the C rows matter only for codes no SQL row has.
constexpr ConvTypeEntry kDefaultTypes[kConvDefaultTypeRows] = {
    {kSqlChar, kConvChar, kConvChar},
    {kSqlVarChar, kConvChar, kConvChar},
    {kSqlLongVarChar, kConvChar, kConvChar},
    {kSqlDecimal, kConvDecimal, kConvDecimal},
    {kSqlNumeric, kConvDecimal, kConvDecimal},
    {kSqlBit, kConvBit, kConvBit},
    {kSqlTinyInt, kConvTinyInt, kConvTinyInt},
    {kSqlSmallInt, kConvShort, kConvShort},
    {kSqlInteger, kConvLong, kConvLong},
    {kSqlReal, kConvReal, kConvReal},
    {kSqlFloat, kConvDouble, kConvDouble},
    {kSqlDouble, kConvDouble, kConvDouble},
    {kSqlBigInt, kConvDecimal, kConvDecimal},
    {kSqlBinary, kConvBinary, kConvBinary},
    {kSqlVarBinary, kConvBinary, kConvBinary},
    {kSqlLongVarBinary, kConvBinary, kConvBinary},
    {kSqlDate, kConvDate, kConvDate},
    {kSqlTime, kConvTime, kConvTime},
    {kSqlTimestamp, kConvTimestamp, kConvTimestamp},
    {kSqlChar, kConvChar, kConvChar},
    {kSqlBit, kConvBit, kConvBit},
    {kSqlTinyInt, kConvTinyInt, kConvTinyInt},
    {kSqlCSTinyInt, kConvTinyInt, kConvTinyInt},
    {kSqlCUTinyInt, kConvUTinyInt, kConvUTinyInt},
    {kSqlSmallInt, kConvShort, kConvShort},
    {kSqlCSShort, kConvShort, kConvShort},
    {kSqlCUShort, kConvUShort, kConvUShort},
    {kSqlInteger, kConvLong, kConvLong},
    {kSqlCSLong, kConvLong, kConvLong},
    {kSqlCULong, kConvULong, kConvULong},
    {kSqlCULong, kConvULong, kConvULong},  // the bookmark type shares the code
    {kSqlReal, kConvReal, kConvReal},
    {kSqlDouble, kConvDouble, kConvDouble},
    {kSqlBinary, kConvBinary, kConvBinary},
    {kSqlDate, kConvDate, kConvDate},
    {kSqlTime, kConvTime, kConvTime},
    {kSqlTimestamp, kConvTimestamp, kConvTimestamp},
};

// The first default row of each code from -28 (SQL_C_UTINYINT) to 99
// (SQL_C_DEFAULT), kConvNoRow for a code no row has: every value fetched is
// looked up twice, and the linear search of the table is what it would cost.
constexpr int kFirstIndexedCode = -28;
constexpr int kIndexedCodes = 128;
constexpr std::array<uint16_t, kIndexedCodes> kDefaultRowOfCode = [] {
  std::array<uint16_t, kIndexedCodes> rows{};
  rows.fill(static_cast<uint16_t>(kConvNoRow));
  for (uint32_t row = kConvDefaultTypeRows; row-- > 0;) {
    int at = kDefaultTypes[row].code - kFirstIndexedCode;
    if (at >= 0 && at < kIndexedCodes) rows[static_cast<size_t>(at)] = static_cast<uint16_t>(row);
  }
  return rows;
}();
static_assert(
    [] {
      for (const ConvTypeEntry& e : kDefaultTypes)
        if (e.code < kFirstIndexedCode || e.code >= kFirstIndexedCode + kIndexedCodes) return false;
      return true;
    }(),
    "every default code has its place in the index");

// Rows are source classes, columns target classes; null: not supported.
// No number converts to a date or time and back, dates and times do not
// convert into each other, and binary reaches no bit or integer class.
constexpr ConvRoutine kDefaultMatrix[kConvClassCount][kConvClassCount] = {
    // character
    {TextToText, TextToNumericText, TextToBit, TextToTinyInt, TextToUTinyInt, TextToShort,
     TextToUShort, TextToLong, TextToULong, TextToReal, TextToDouble, TextToBinary, TextToDate,
     TextToTime, TextToTimestamp},
    // decimal
    {TextToText, TextToNumericText, TextToBit, TextToTinyInt, TextToUTinyInt, TextToShort,
     TextToUShort, TextToLong, TextToULong, TextToReal, TextToDouble, TextToBinary, nullptr,
     nullptr, nullptr},
    // bit
    {BitToChar, BitToDecimal, Copy1, Copy1, Copy1, BitToShort, BitToUShort, BitToLong, BitToULong,
     BitToReal, BitToDouble, BitToBinary, nullptr, nullptr, nullptr},
    // tinyint
    {TinyIntToChar, TinyIntToDecimal, TinyIntToBit, Copy1, TinyIntToUTinyInt, TinyIntToShort,
     TinyIntToUShort, TinyIntToLong, TinyIntToULong, TinyIntToReal, TinyIntToDouble,
     TinyIntToBinary, nullptr, nullptr, nullptr},
    // unsigned tinyint
    {UTinyIntToChar, UTinyIntToDecimal, UTinyIntToBit, UTinyIntToTinyInt, Copy1, UTinyIntToShort,
     UTinyIntToUShort, UTinyIntToLong, UTinyIntToULong, UTinyIntToReal, UTinyIntToDouble,
     UTinyIntToBinary, nullptr, nullptr, nullptr},
    // short
    {ShortToChar, ShortToDecimal, ShortToBit, ShortToTinyInt, ShortToUTinyInt, Copy2, ShortToUShort,
     ShortToLong, ShortToULong, ShortToReal, ShortToDouble, ShortToBinary, nullptr, nullptr,
     nullptr},
    // unsigned short
    {UShortToChar, UShortToDecimal, UShortToBit, UShortToTinyInt, UShortToUTinyInt, UShortToShort,
     Copy2, UShortToLong, UShortToULong, UShortToReal, UShortToDouble, UShortToBinary, nullptr,
     nullptr, nullptr},
    // long
    {LongToChar, LongToDecimal, LongToBit, LongToTinyInt, LongToUTinyInt, LongToShort, LongToUShort,
     Copy4, LongToULong, LongToReal, LongToDouble, LongToBinary, nullptr, nullptr, nullptr},
    // unsigned long
    {ULongToChar, ULongToDecimal, ULongToBit, ULongToTinyInt, ULongToUTinyInt, ULongToShort,
     ULongToUShort, ULongToLong, Copy4, ULongToReal, ULongToDouble, ULongToBinary, nullptr, nullptr,
     nullptr},
    // real
    {DoubleToText, DoubleToDecimal, DoubleToBit, DoubleToTinyInt, DoubleToUTinyInt, DoubleToShort,
     DoubleToUShort, DoubleToLong, DoubleToULong, Copy4, RealToDouble, Copy4, nullptr, nullptr,
     nullptr},
    // double
    {DoubleToText, DoubleToDecimal, DoubleToBit, DoubleToTinyInt, DoubleToUTinyInt, DoubleToShort,
     DoubleToUShort, DoubleToLong, DoubleToULong, DoubleToReal, Copy8, Copy8, nullptr, nullptr,
     nullptr},
    // binary
    {BinaryToHexText, TextToNumericText, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
     nullptr, Copy4, Copy8, BinaryCopy, nullptr, nullptr, nullptr},
    // date
    {DateToText, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
     nullptr, DateCopy, DateCopy, nullptr, DateToTimestamp},
    // time
    {TimeToText, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
     nullptr, TimeCopy, nullptr, TimeCopy, TimeToTimestamp},
    // timestamp
    {TimestampToText, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
     nullptr, nullptr, TimestampCopy, TimestampToDate, TimestampToTime, TimestampCopy},
};

// The state of the process, changed only under the conversion lock.
struct ConvState {
  const ConvRoutine* matrix;  // the static defaults or `own_matrix`
  uint32_t side;
  uint32_t class_count;
  const ConvTypeEntry* types;  // the static defaults or `own_types`; null: none active
  uint32_t rows_in_use;
  uint32_t capacity;
  uint32_t added;
  uint32_t use_count;
  ConvRoutine* own_matrix;  // enlarged copies, null while the defaults are active
  ConvTypeEntry* own_types;
};

ConvState g_state = {};
SharedMutex g_conv_lock;

void UseStaticTables() {
  g_state.matrix = &kDefaultMatrix[0][0];
  g_state.side = kConvClassCount;
  g_state.class_count = kConvClassCount;
  g_state.types = kDefaultTypes;
  g_state.capacity = kConvDefaultTypeRows;
  g_state.rows_in_use = kConvDefaultTypeRows;
}

void FreeOwnCopies() {
  if (g_state.own_matrix != nullptr) {
    if (g_state.matrix == g_state.own_matrix) g_state.matrix = nullptr;
    MemFree(g_state.own_matrix);
    g_state.own_matrix = nullptr;
  }
  if (g_state.own_types != nullptr) {
    if (g_state.types == g_state.own_types) g_state.types = nullptr;
    MemFree(g_state.own_types);
    g_state.own_types = nullptr;
  }
}

}  // namespace

SharedMutex* ConvLock() {
  return &g_conv_lock;
}

int32_t ConvInit() {
  SharedMutex::Acquire(&g_conv_lock);
  SharedMutexHold hold(&g_conv_lock);
  if (g_state.types == nullptr) {
    g_state.use_count = 0;
    g_state.added = 0;
  }
  return 0;
}

int32_t ConvTerm() {
  SharedMutex::Release(&g_conv_lock);
  return 0;
}

int32_t RegisterConvTypes(uint32_t added_types) {
  SharedMutexHold hold(&g_conv_lock);
  if (g_state.types == nullptr) g_state.added = 0;
  ++g_state.use_count;
  if (g_state.types != nullptr && added_types <= g_state.added) return 0;

  if (added_types == 0) {
    FreeOwnCopies();
    UseStaticTables();
    g_state.added = 0;
    return 0;
  }

  // Both copies are made before anything is given up, so a failure leaves
  // the active tables as they were.
  uint32_t side = added_types + kConvClassCount;
  auto* matrix = static_cast<ConvRoutine*>(MemAlloc(sizeof(ConvRoutine) * side * side));
  auto* types = static_cast<ConvTypeEntry*>(
      MemAlloc(sizeof(ConvTypeEntry) * (added_types + kConvDefaultTypeRows)));
  if (matrix == nullptr || types == nullptr) {
    MemFree(matrix);
    MemFree(types);
    ReleaseConvTypes();
    return kConvNoMemory;
  }
  FreeOwnCopies();
  for (uint32_t row = 0; row < kConvClassCount; ++row) {
    std::memcpy(matrix + row * side, kDefaultMatrix[row], sizeof kDefaultMatrix[row]);
  }
  std::memcpy(types, kDefaultTypes, sizeof kDefaultTypes);
  g_state.own_matrix = matrix;
  g_state.own_types = types;
  g_state.matrix = matrix;
  g_state.types = types;
  g_state.side = side;
  g_state.class_count = kConvClassCount;
  g_state.capacity = added_types + kConvDefaultTypeRows;
  g_state.rows_in_use = kConvDefaultTypeRows;
  g_state.added = added_types;
  return 0;
}

void ReleaseConvTypes() {
  SharedMutexHold hold(&g_conv_lock);
  if (g_state.use_count == 0) return;
  if (--g_state.use_count > 0) return;
  FreeOwnCopies();
  g_state.added = 0;
}

int32_t DrvInitConversions() {
  return RegisterConvTypes(0);
}

const ConvTypeEntry* ConvTypeRow(uint32_t row) {
  if (g_state.types == nullptr || row >= g_state.rows_in_use) return nullptr;
  return &g_state.types[row];
}

namespace {

// The first row with that code; the caller holds the lock.
uint32_t TypeIndexHeld(int16_t code) {
  if (g_state.types == nullptr) return kConvNoRow;
  if (g_state.types == kDefaultTypes) {
    int at = code - kFirstIndexedCode;
    return at >= 0 && at < kIndexedCodes ? kDefaultRowOfCode[static_cast<size_t>(at)] : kConvNoRow;
  }
  for (uint32_t row = 0; row < g_state.rows_in_use; ++row) {
    if (g_state.types[row].code == code) return row;
  }
  return kConvNoRow;
}

}  // namespace

uint32_t ConvTypeIndex(int16_t code) {
  SharedMutexHold hold(&g_conv_lock);
  return TypeIndexHeld(code);
}

ConvRoutine ConvLookup(int16_t source_code, int16_t target_code, uint32_t* source_row,
                       uint32_t* target_row) {
  SharedMutexHold hold(&g_conv_lock);
  return ConvLookupHeld(source_code, target_code, source_row, target_row);
}

ConvRoutine ConvLookupHeld(int16_t source_code, int16_t target_code, uint32_t* source_row,
                           uint32_t* target_row) {
  uint32_t source = TypeIndexHeld(source_code);
  uint32_t target = TypeIndexHeld(target_code);
  if (source_row != nullptr) *source_row = source;
  if (target_row != nullptr) *target_row = target;
  if (source == kConvNoRow || target == kConvNoRow || g_state.matrix == nullptr) return nullptr;
  uint32_t from = g_state.types[source].matrix_class;
  uint32_t to = g_state.types[target].matrix_class;
  if (from >= g_state.side || to >= g_state.side) return nullptr;
  return g_state.matrix[from * g_state.side + to];
}

int ConvCheckSupported(int16_t c_type, int direction, int16_t sql_type) {
  bool binary_sql =
      sql_type == kSqlBinary || sql_type == kSqlVarBinary || sql_type == kSqlLongVarBinary;
  if (direction == 1 && binary_sql) return c_type == kSqlChar || c_type == kSqlBinary ? 1 : 0;
  return ConvLookup(c_type, sql_type, nullptr, nullptr) != nullptr ? 1 : 0;
}

int32_t TEST_AddConvType(int16_t code, int16_t routine_class, uint32_t matrix_class) {
  SharedMutexHold hold(&g_conv_lock);
  if (g_state.own_types == nullptr || g_state.rows_in_use >= g_state.capacity ||
      matrix_class >= g_state.side) {
    return -1;
  }
  g_state.own_types[g_state.rows_in_use++] = {code, routine_class, matrix_class};
  return 0;
}

int32_t TEST_SetConvRoutine(uint32_t source_class, uint32_t target_class, ConvRoutine routine) {
  SharedMutexHold hold(&g_conv_lock);
  if (g_state.own_matrix == nullptr || source_class >= g_state.side ||
      target_class >= g_state.side) {
    return -1;
  }
  g_state.own_matrix[source_class * g_state.side + target_class] = routine;
  return 0;
}

uint32_t TEST_ConvUseCount() {
  SharedMutexHold hold(&g_conv_lock);
  return g_state.use_count;
}
