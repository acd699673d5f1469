#include "driver/odbc/connect/login_data.h"

#include <sqlext.h>

#include <cstdlib>
#include <cstring>
#include <iterator>

#include "common/pool.h"
#include "common/str_util.h"
#include "driver/odbc/convert/conv_dispatch.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/server_types.h"

namespace {

struct BaseType {
  int16_t sql_type;
  uint32_t column_size;
  uint32_t precision;
  uint16_t c_type;
};
constexpr BaseType kBaseTypes[] = {
    {SQL_VARCHAR, 256, 256, SQL_C_CHAR},
    {SQL_CHAR, 256, 256, SQL_C_CHAR},
    {SQL_INTEGER, 4, 10, SQL_C_LONG},
    {SQL_SMALLINT, 2, 5, SQL_C_SHORT},
};

// Statement-option slots of the login's defaults, in record order.
constexpr StmtOptionSlot kDefaultSlots[] = {
    kOptBindType,     kOptConcurrency, kOptCursorType,     kOptKeysetSize,
    kOptMaxLength,    kOptMaxRows,     kOptNoScan,         kOptQueryTimeout,
    kOptRetrieveData, kOptRowsetSize,  kOptSimulateCursor, kOptUseBookmarks,
};

bool Names(const LnaTypeInfo* types, uint32_t count, int16_t sql_type) {
  for (uint32_t i = 0; i < count; ++i)
    if (types[i].sql_type == sql_type) return true;
  return false;
}

uint32_t FlagsOf(const LnaTypeInfo& t) {
  uint32_t flags = 0;
  if (t.nullable == 1) flags |= kTypeNullable;
  if (t.nullable == 0 || t.nullable == 1) flags |= kTypeNullabilityKnown;
  if (t.case_sensitive != 0) flags |= kTypeCaseSensitive;
  if (t.searchable == 1) flags |= kTypeSearchableLike;
  if (t.searchable == 2) flags |= kTypeSearchableOther;
  if (t.searchable == 3) flags |= kTypeSearchableLike | kTypeSearchableOther;
  if (t.unsigned_attribute == 1) flags |= kTypeUnsigned;
  if (t.unsigned_attribute == 0) flags |= kTypeSigned;
  if (t.money != 0) flags |= kTypeMoney;
  if (t.auto_increment == 1) flags |= kTypeAutoIncrement;
  if (t.auto_increment == 0) flags |= kTypeNotAutoIncrement;
  return flags;
}

// A text field of a wire record, bounded by its array.
template <size_t N>
int32_t CopyField(DrvConn* connection, char** out, int32_t pool, const char (&field)[N]) {
  char bounded[N + 1];
  std::memcpy(bounded, field, N);
  bounded[N] = '\0';
  return PoolCopyString(connection, out, pool, bounded);
}

int32_t FillDescriptor(DrvConn* connection, int32_t pool, const LnaTypeInfo& t, TypeDescriptor* d,
                       TypePair* pair) {
  d->sql_type = t.sql_type;
  if (CopyField(connection, &d->type_name, pool, t.type_name) != 0 ||
      CopyField(connection, &d->literal_prefix, pool, t.literal_prefix) != 0 ||
      CopyField(connection, &d->literal_suffix, pool, t.literal_suffix) != 0 ||
      CopyField(connection, &d->create_params, pool, t.create_params) != 0 ||
      CopyField(connection, &d->local_type_name, pool, t.local_type_name) != 0) {
    return -1;
  }
  d->flags = FlagsOf(t);
  d->column_size = static_cast<uint32_t>(t.precision);
  d->max_scale = static_cast<uint16_t>(t.maximum_scale);
  d->precision = static_cast<uint32_t>(t.precision);
  d->min_scale = static_cast<uint16_t>(t.minimum_scale);
  auto c_type = static_cast<uint16_t>(DefaultCTypeForSqlType(t.sql_type));
  *pair = TypePair{static_cast<uint16_t>(t.sql_type), c_type, static_cast<uint16_t>(t.sql_type),
                   c_type};
  return 0;
}

int32_t NoMemory(DrvConn* connection) {
  PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
  return -1;
}

}  // namespace

int32_t PoolCopyString(DrvConn* connection, char** out, int32_t pool, const char* text) {
  *out = nullptr;
  if (text == nullptr || text[0] == '\0') return 0;
  size_t n = std::strlen(text);
  auto* copy = static_cast<char*>(PoolAlloc(pool, n + 1));
  if (copy == nullptr) return NoMemory(connection);
  std::memcpy(copy, text, n + 1);
  *out = copy;
  return 0;
}

uint32_t CountMissingBaseTypes(const LnaTypeInfo* types, uint32_t count) {
  uint32_t missing = 0;
  for (const BaseType& base : kBaseTypes)
    if (!Names(types, count, base.sql_type)) ++missing;
  return missing;
}

void StoreLoginOptions(DrvConn* connection, const LnaConnectResult& result,
                       const LnaLoginInfo52& defaults) {
  connection->access_mode = result.access_mode;
  connection->autocommit = result.autocommit;
  StrCopyBounded(connection->qualifier, result.qualifier, kQualifierSize);
  connection->login_timeout = result.login_timeout;
  connection->txn_isolation = result.txn_isolation;
  const ConnKeyword* buffer_size = nullptr;
  for (uint32_t k = 0; k < connection->keyword_count; ++k)
    if (std::strcmp(connection->keywords[k].name, "ArrayBufferSize") == 0)
      buffer_size = &connection->keywords[k];
  if (buffer_size != nullptr && buffer_size->set) {
    // Not a number gives 0; a size beyond 32 bits is held at its limit.
    unsigned long kib = std::strtoul(buffer_size->value, nullptr, 10);
    unsigned long long bytes = static_cast<unsigned long long>(kib) * 1024u;
    connection->packet_size = bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(bytes);
  } else {
    connection->packet_size = result.packet_size;
  }
  for (size_t i = 0; i < std::size(kDefaultSlots); ++i)
    connection->stmt_defaults.slot[kDefaultSlots[i]] = defaults.values[i];
  connection->stmt_option_mask = defaults.values[std::size(kDefaultSlots)];
}

int32_t StoreLoginTypes(DrvConn* connection, const LnaTypeInfo* types, uint32_t type_count,
                        const LnaTableType* table_types, uint32_t table_type_count) {
  DropLoginTypes(connection);
  int32_t pool = PoolCreate();
  if (pool <= 0) return NoMemory(connection);
  connection->pool_id = pool;
  const uint32_t total = type_count + CountMissingBaseTypes(types, type_count);
  if (total > 0) {
    auto* descs = static_cast<TypeDescriptor*>(PoolAlloc(pool, total * sizeof(TypeDescriptor)));
    auto* pairs = static_cast<TypePair*>(PoolAlloc(pool, total * sizeof(TypePair)));
    if (descs == nullptr || pairs == nullptr) return NoMemory(connection);
    uint32_t n = 0;
    for (; n < type_count; ++n)
      if (FillDescriptor(connection, pool, types[n], &descs[n], &pairs[n]) != 0) return -1;
    for (const BaseType& base : kBaseTypes) {
      if (Names(types, type_count, base.sql_type)) continue;
      descs[n] = TypeDescriptor{};
      descs[n].sql_type = base.sql_type;
      descs[n].column_size = base.column_size;
      descs[n].precision = base.precision;
      pairs[n] = TypePair{static_cast<uint16_t>(base.sql_type), base.c_type, 0, base.c_type};
      ++n;
    }
    connection->type_descs = descs;
    connection->type_pairs = pairs;
  }
  connection->type_count = total;
  connection->server_type_count = type_count;
  if (table_type_count > 0) {
    auto* entries =
        static_cast<TableTypeEntry*>(PoolAlloc(pool, table_type_count * sizeof(TableTypeEntry)));
    if (entries == nullptr) return NoMemory(connection);
    for (uint32_t i = 0; i < table_type_count; ++i) {
      if (CopyField(connection, &entries[i].name, pool, table_types[i].name) != 0) return -1;
      entries[i].mask = static_cast<uint32_t>(table_types[i].bit);
    }
    connection->table_types = entries;
    connection->table_type_count = table_type_count;
  }
  return 0;
}

void DropLoginTypes(DrvConn* connection) {
  if (connection->pool_id > 0) PoolDestroy(connection->pool_id);
  connection->pool_id = 0;
  connection->type_descs = nullptr;
  connection->type_pairs = nullptr;
  connection->type_count = 0;
  connection->server_type_count = 0;
  connection->table_types = nullptr;
  connection->table_type_count = 0;
}
