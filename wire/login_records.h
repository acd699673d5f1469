// The records of the login reply that the driver keeps about its server:
// the server information block, the three blocks of numbers and the connect
// result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "wire/msg_buf.h"

// 27 texts, in wire order, named after the information type each answers.
// The two-byte fields hold one character such as Y or N.
struct LnaServerInfo {
  char accessible_procedures[2];
  char accessible_tables[2];
  char column_alias[2];
  char dbms_name[34];
  char dbms_ver[34];
  char data_source_read_only[2];
  char search_pattern_escape[6];
  char expressions_in_orderby[2];
  char odbc_sql_opt_ief[2];
  char identifier_quote_char[12];
  char keywords[1280];
  char like_escape_clause[2];
  char max_row_size_includes_long[2];
  char multiple_active_txn[2];
  char mult_result_sets[2];
  char need_long_data_len[2];
  char order_by_columns_in_select[2];
  char outer_joins[2];
  char owner_term[34];
  char procedures[2];
  char procedure_term[34];
  char qualifier_name_separator[10];
  char qualifier_term[256];
  char row_updates[2];
  char server_name[34];
  char special_characters[34];
  char table_term[34];
};

// Where each text of the block lies in the record, in wire order, and its
// room (NUL included).
struct ServerInfoField {
  size_t offset;
  size_t size;
};
constexpr size_t kServerInfoTextCount = 27;
extern const ServerInfoField kServerInfoFields[kServerInfoTextCount];

// 25 u32 then 27 u16: numeric information values in wire order.
struct LnaLoginInfo154 {
  uint32_t longs[25];
  uint16_t shorts[27];
};

// 24 u32: the function and conversion bitmasks.
struct LnaLoginInfo96 {
  uint32_t masks[24];
};

// 13 u32: the statement-option defaults.
struct LnaLoginInfo52 {
  uint32_t values[13];
};

struct LnaConnectResult {
  uint32_t access_mode;
  uint32_t autocommit;
  char qualifier[257];  // the current qualifier
  uint32_t login_timeout;
  uint32_t packet_size;  // the array fetch buffer size
  uint32_t txn_isolation;
};

int XdrServerInfo(MsgBuf* buf, LnaServerInfo* s);
int XdrPutServerInfo(MsgBuf* buf, const LnaServerInfo* s);
int XdrLoginInfo154(MsgBuf* buf, LnaLoginInfo154* r);
int XdrPutLoginInfo154(MsgBuf* buf, const LnaLoginInfo154* r);
int XdrLoginInfo96(MsgBuf* buf, LnaLoginInfo96* r);
int XdrPutLoginInfo96(MsgBuf* buf, const LnaLoginInfo96* r);
int XdrLoginInfo52(MsgBuf* buf, LnaLoginInfo52* r);
int XdrPutLoginInfo52(MsgBuf* buf, const LnaLoginInfo52* r);
int XdrConnectResult(MsgBuf* buf, LnaConnectResult* r);
int XdrPutConnectResult(MsgBuf* buf, const LnaConnectResult* r);
