#include "server/info_table.h"

#include <sqlext.h>

#include <algorithm>

namespace velsrv {

namespace {

// The width in which ODBC defines a numeric type; the client reads a few of
// them wider (such as SQL_MAX_TABLES_IN_SELECT as a u32).
InfoWidth BackendWidth(uint16_t t) {
  return InfoKindOf(t) == kInfoShort || t == SQL_MAX_TABLES_IN_SELECT ? InfoWidth::kU16
                                                                      : InfoWidth::kU32;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool AnnouncedInfo(BackendConnection& backend, uint16_t type, const InfoContext& context,
                   InfoValue* value) {
  *value = InfoValue{};
  InfoKind kind = InfoKindOf(type);
  if (kind == kInfoNone || kind == kInfoHandle) return false;
  DiagList ignored;  // a value the backend cannot give is announced empty
  if (kind == kInfoText) {
    value->is_text = true;
    switch (type) {
      case SQL_MULT_RESULT_SETS:
      case SQL_ROW_UPDATES:
        value->text.assign(1, 'N');
        return true;
      case SQL_SERVER_NAME:
        // The backend's answer is often a path on the server.
        value->text = context.server_dsn;
        return true;
      default:
        break;
    }
    if (!Succeeded(backend.GetInfoText(type, &value->text, &ignored))) value->text.clear();
    if (type == SQL_DATABASE_NAME) value->text = BaseName(value->text);
    return true;
  }
  switch (type) {
    case SQL_FETCH_DIRECTION:
      value->number = SQL_FD_FETCH_NEXT;
      return true;
    case SQL_SCROLL_CONCURRENCY:
      value->number = SQL_SCCO_READ_ONLY;
      return true;
    case SQL_SCROLL_OPTIONS:
      value->number = SQL_SO_FORWARD_ONLY;
      return true;
    case SQL_LOCK_TYPES:
    case SQL_POS_OPERATIONS:
    case SQL_POSITIONED_STATEMENTS:
    case SQL_BOOKMARK_PERSISTENCE:
    case SQL_STATIC_SENSITIVITY:
    case kInfoDriverSpecific:
      value->number = 0;
      return true;
    default:
      break;
  }
  uint32_t n = 0;
  if (!Succeeded(backend.GetInfoNumber(type, BackendWidth(type), &n, &ignored))) n = 0;
  switch (type) {
    case SQL_GETDATA_EXTENSIONS:
      n &= SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER;
      break;
    case SQL_ODBC_API_CONFORMANCE:
      n = std::min<uint32_t>(n, SQL_OAC_LEVEL1);
      break;
    case SQL_ACTIVE_STATEMENTS: {
      uint32_t cap = static_cast<uint32_t>(std::min(context.max_statements, 65535));
      if (n == 0 || n > cap) n = cap;
      break;
    }
    default:
      break;
  }
  if (kind == kInfoShort) n &= 0xFFFF;
  value->number = n;
  return true;
}

}  // namespace velsrv
