#include "server/login_reply.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "server/function_flags.h"
#include "server/option_policy.h"
#include "wire/scramble.h"

namespace velsrv {

namespace {

constexpr uint16_t kKeywords = 89;
constexpr uint16_t kDefaultTxnIsolation = 26;
constexpr uint16_t kAccessMode = 101, kAutocommit = 102, kLoginTimeout = 103, kTxnIsolation = 108,
                   kCurrentQualifier = 109;

void CopyField(char* field, size_t size, const std::string& text) {
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), n);
  field[n] = 0;
}

// A list of keywords is cut after its last whole keyword that fits.
std::string FitKeywords(const std::string& keywords, size_t size) {
  if (keywords.size() < size) return keywords;
  size_t cut = keywords.rfind(',', size - 1);
  return cut == std::string::npos ? std::string() : keywords.substr(0, cut);
}

struct TextField {
  char* field;
  size_t size;
};

// The fields of the server information block, in wire order.
std::array<TextField, 27> InfoFields(LnaServerInfo& s) {
  return {{{s.accessible_procedures, sizeof s.accessible_procedures},
           {s.accessible_tables, sizeof s.accessible_tables},
           {s.column_alias, sizeof s.column_alias},
           {s.dbms_name, sizeof s.dbms_name},
           {s.dbms_ver, sizeof s.dbms_ver},
           {s.data_source_read_only, sizeof s.data_source_read_only},
           {s.search_pattern_escape, sizeof s.search_pattern_escape},
           {s.expressions_in_orderby, sizeof s.expressions_in_orderby},
           {s.odbc_sql_opt_ief, sizeof s.odbc_sql_opt_ief},
           {s.identifier_quote_char, sizeof s.identifier_quote_char},
           {s.keywords, sizeof s.keywords},
           {s.like_escape_clause, sizeof s.like_escape_clause},
           {s.max_row_size_includes_long, sizeof s.max_row_size_includes_long},
           {s.multiple_active_txn, sizeof s.multiple_active_txn},
           {s.mult_result_sets, sizeof s.mult_result_sets},
           {s.need_long_data_len, sizeof s.need_long_data_len},
           {s.order_by_columns_in_select, sizeof s.order_by_columns_in_select},
           {s.outer_joins, sizeof s.outer_joins},
           {s.owner_term, sizeof s.owner_term},
           {s.procedures, sizeof s.procedures},
           {s.procedure_term, sizeof s.procedure_term},
           {s.qualifier_name_separator, sizeof s.qualifier_name_separator},
           {s.qualifier_term, sizeof s.qualifier_term},
           {s.row_updates, sizeof s.row_updates},
           {s.server_name, sizeof s.server_name},
           {s.special_characters, sizeof s.special_characters},
           {s.table_term, sizeof s.table_term}}};
}

uint32_t Number(BackendConnection& backend, uint16_t type, const InfoContext& context) {
  InfoValue v;
  return AnnouncedInfo(backend, type, context, &v) ? v.number : 0;
}

uint32_t OptionNumber(BackendConnection& backend, uint16_t option, uint32_t fallback) {
  OptionValue v;
  DiagList ignored;
  return Succeeded(backend.GetOption(option, false, &v, &ignored)) ? v.number : fallback;
}

}  // namespace

std::vector<LnaTableType> TableTypeRecords(const std::vector<std::string>& names) {
  std::vector<LnaTableType> out;
  for (size_t i = 0; i < names.size() && i < 32; ++i) {
    LnaTableType t{};
    CopyField(t.name, sizeof t.name, names[i]);
    t.bit = static_cast<int32_t>(1u << i);
    out.push_back(t);
  }
  return out;
}

void HarvestLogin(BackendConnection& backend, const InfoContext& context, const TypeTable& types,
                  const std::vector<std::string>& table_types,
                  const std::array<uint16_t, 100>& backend_functions, ConnectReply* reply) {
  std::array<TextField, 27> fields = InfoFields(reply->info);
  for (size_t i = 0; i < fields.size(); ++i) {
    InfoValue v;
    AnnouncedInfo(backend, kServerInfoTexts[i], context, &v);
    std::string text =
        kServerInfoTexts[i] == kKeywords ? FitKeywords(v.text, fields[i].size) : v.text;
    CopyField(fields[i].field, fields[i].size, text);
  }
  for (size_t i = 0; i < 25; ++i) {
    reply->info154.longs[i] =
        kLoginLongs[i] == 0xFFFF ? 0 : Number(backend, kLoginLongs[i], context);
  }
  for (size_t i = 0; i < 27; ++i) {
    reply->info154.shorts[i] = static_cast<uint16_t>(Number(backend, kLoginShorts[i], context));
  }
  for (uint16_t i = 0; i < 24; ++i) {
    reply->info96.masks[i] = Number(backend, static_cast<uint16_t>(kFirstMaskInfo + i), context);
  }
  reply->types = types.rows();
  if (reply->types.size() > 65535) reply->types.resize(65535);
  reply->table_types = TableTypeRecords(table_types);
  reply->functions = AnnouncedFunctions(backend_functions);

  LnaConnectResult& r = reply->result;
  r.access_mode = OptionNumber(backend, kAccessMode, 0);
  r.autocommit = OptionNumber(backend, kAutocommit, 1);
  r.login_timeout = OptionNumber(backend, kLoginTimeout, 0);
  r.packet_size = kPacketSize;
  r.txn_isolation =
      OptionNumber(backend, kTxnIsolation, Number(backend, kDefaultTxnIsolation, context));
  OptionValue qualifier;
  DiagList ignored;
  if (Succeeded(backend.GetOption(kCurrentQualifier, true, &qualifier, &ignored)))
    CopyField(r.qualifier, 256, qualifier.text);  // the client keeps 255 characters

  // In the client's order: bind type, concurrency, cursor type, keyset size,
  // maximum length, maximum rows, no scan, query timeout, retrieve data,
  // rowset size, simulate cursor, use bookmarks; then the supported-option
  // mask.
  uint32_t d[kStmtOptionCount];
  DefaultStatementOptions(d);
  const uint16_t order[12] = {5, 7, 6, 8, 3, 1, 2, 0, 11, 9, 10, 12};
  for (size_t i = 0; i < 12; ++i) reply->info52.values[i] = d[order[i]];
  reply->info52.values[12] = SupportedStatementOptionMask();
}

std::vector<uint8_t> EmptyCompletedText(size_t length) {
  std::vector<uint8_t> plain(length, 0);
  std::vector<uint8_t> scrambled(length);
  if (length >= 2) {
    thread_local std::mt19937 random{std::random_device{}()};
    uint32_t r = random();
    plain[0] = static_cast<uint8_t>(r);
    plain[1] = static_cast<uint8_t>((r >> 8) & 0x7F);
  }
  if (length > 0) ScrambleConnString(plain.data(), length, scrambled.data());
  return scrambled;
}

}  // namespace velsrv
