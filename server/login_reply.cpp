#include "server/login_reply.h"

#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "server/function_flags.h"
#include "server/option_policy.h"
#include "wire/array_buffer.h"
#include "wire/scramble.h"

namespace velsrv {

namespace {

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
  auto* info = reinterpret_cast<char*>(&reply->info);
  for (size_t i = 0; i < kServerInfoTextCount; ++i) {
    InfoValue v;
    AnnouncedInfo(backend, kServerInfoTextTypes[i], context, &v);
    const ServerInfoField& field = kServerInfoFields[i];
    std::string text =
        kServerInfoTextTypes[i] == SQL_KEYWORDS ? FitKeywords(v.text, field.size) : v.text;
    CopyField(info + field.offset, field.size, text);
  }
  for (size_t i = 0; i < std::size(kLoginLongTypes); ++i) {
    reply->info154.longs[i] =
        kLoginLongTypes[i] == kNoInfoType ? 0 : Number(backend, kLoginLongTypes[i], context);
  }
  for (size_t i = 0; i < std::size(kLoginShortTypes); ++i) {
    reply->info154.shorts[i] = static_cast<uint16_t>(Number(backend, kLoginShortTypes[i], context));
  }
  for (uint16_t i = 0; i < kLoginMaskCount; ++i) {
    reply->info96.masks[i] =
        Number(backend, static_cast<uint16_t>(kLoginMaskFirstType + i), context);
  }
  reply->types = types.rows();
  if (reply->types.size() > 65535) reply->types.resize(65535);
  reply->table_types = TableTypeRecords(table_types);
  reply->functions = AnnouncedFunctions(backend_functions);

  LnaConnectResult& r = reply->result;
  r.access_mode = OptionNumber(backend, SQL_ACCESS_MODE, 0);
  r.autocommit = OptionNumber(backend, SQL_AUTOCOMMIT, 1);
  r.login_timeout = OptionNumber(backend, SQL_LOGIN_TIMEOUT, 0);
  // The array fetch buffer a login announces (the client's own setting wins
  // when it has one).
  r.packet_size = kDefaultArrayBuffer;
  r.txn_isolation =
      OptionNumber(backend, SQL_TXN_ISOLATION, Number(backend, SQL_DEFAULT_TXN_ISOLATION, context));
  OptionValue qualifier;
  DiagList ignored;
  if (Succeeded(backend.GetOption(SQL_CURRENT_QUALIFIER, true, &qualifier, &ignored)))
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
