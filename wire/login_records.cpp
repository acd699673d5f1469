#include "wire/login_records.h"

#include <cstddef>

#include "wire/xdr_fields.h"

#define VEL_SERVER_TEXT(field)                                   \
  ServerInfoField {                                              \
    offsetof(LnaServerInfo, field), sizeof(LnaServerInfo::field) \
  }

const ServerInfoField kServerInfoFields[kServerInfoTextCount] = {
    VEL_SERVER_TEXT(accessible_procedures),
    VEL_SERVER_TEXT(accessible_tables),
    VEL_SERVER_TEXT(column_alias),
    VEL_SERVER_TEXT(dbms_name),
    VEL_SERVER_TEXT(dbms_ver),
    VEL_SERVER_TEXT(data_source_read_only),
    VEL_SERVER_TEXT(search_pattern_escape),
    VEL_SERVER_TEXT(expressions_in_orderby),
    VEL_SERVER_TEXT(odbc_sql_opt_ief),
    VEL_SERVER_TEXT(identifier_quote_char),
    VEL_SERVER_TEXT(keywords),
    VEL_SERVER_TEXT(like_escape_clause),
    VEL_SERVER_TEXT(max_row_size_includes_long),
    VEL_SERVER_TEXT(multiple_active_txn),
    VEL_SERVER_TEXT(mult_result_sets),
    VEL_SERVER_TEXT(need_long_data_len),
    VEL_SERVER_TEXT(order_by_columns_in_select),
    VEL_SERVER_TEXT(outer_joins),
    VEL_SERVER_TEXT(owner_term),
    VEL_SERVER_TEXT(procedures),
    VEL_SERVER_TEXT(procedure_term),
    VEL_SERVER_TEXT(qualifier_name_separator),
    VEL_SERVER_TEXT(qualifier_term),
    VEL_SERVER_TEXT(row_updates),
    VEL_SERVER_TEXT(server_name),
    VEL_SERVER_TEXT(special_characters),
    VEL_SERVER_TEXT(table_term),
};

#undef VEL_SERVER_TEXT

namespace {

int GetU32s(MsgBuf* buf, uint32_t* values, int n) {
  for (int i = 0; i < n; ++i)
    if (!MsgBufGetU32(buf, &values[i])) return 0;
  return 1;
}

int PutU32s(MsgBuf* buf, const uint32_t* values, int n) {
  for (int i = 0; i < n; ++i)
    if (!MsgBufPutU32(buf, values[i])) return 0;
  return 1;
}

}  // namespace

int XdrServerInfo(MsgBuf* buf, LnaServerInfo* s) {
  auto* base = reinterpret_cast<char*>(s);
  for (const ServerInfoField& f : kServerInfoFields)
    if (!XdrGetField(buf, base + f.offset, f.size)) return 0;
  return 1;
}

int XdrPutServerInfo(MsgBuf* buf, const LnaServerInfo* s) {
  const auto* base = reinterpret_cast<const char*>(s);
  for (const ServerInfoField& f : kServerInfoFields)
    if (!XdrPutField(buf, base + f.offset, f.size)) return 0;
  return 1;
}

int XdrLoginInfo154(MsgBuf* buf, LnaLoginInfo154* r) {
  if (!GetU32s(buf, r->longs, 25)) return 0;
  for (uint16_t& v : r->shorts)
    if (!MsgBufGetU16(buf, &v)) return 0;
  return 1;
}

int XdrPutLoginInfo154(MsgBuf* buf, const LnaLoginInfo154* r) {
  if (!PutU32s(buf, r->longs, 25)) return 0;
  for (uint16_t v : r->shorts)
    if (!MsgBufPutU16(buf, v)) return 0;
  return 1;
}

int XdrLoginInfo96(MsgBuf* buf, LnaLoginInfo96* r) {
  return GetU32s(buf, r->masks, 24);
}
int XdrPutLoginInfo96(MsgBuf* buf, const LnaLoginInfo96* r) {
  return PutU32s(buf, r->masks, 24);
}

int XdrLoginInfo52(MsgBuf* buf, LnaLoginInfo52* r) {
  return GetU32s(buf, r->values, 13);
}
int XdrPutLoginInfo52(MsgBuf* buf, const LnaLoginInfo52* r) {
  return PutU32s(buf, r->values, 13);
}

int XdrConnectResult(MsgBuf* buf, LnaConnectResult* r) {
  return MsgBufGetU32(buf, &r->access_mode) && MsgBufGetU32(buf, &r->autocommit) &&
         XdrGetField(buf, r->qualifier) && MsgBufGetU32(buf, &r->login_timeout) &&
         MsgBufGetU32(buf, &r->packet_size) && MsgBufGetU32(buf, &r->txn_isolation);
}

int XdrPutConnectResult(MsgBuf* buf, const LnaConnectResult* r) {
  return MsgBufPutU32(buf, r->access_mode) && MsgBufPutU32(buf, r->autocommit) &&
         XdrPutField(buf, r->qualifier) && MsgBufPutU32(buf, r->login_timeout) &&
         MsgBufPutU32(buf, r->packet_size) && MsgBufPutU32(buf, r->txn_isolation);
}
