#include "server/info_table.h"

#include <algorithm>

namespace velsrv {

namespace {

constexpr uint16_t kNoInfo = 0xFFFF;

// ODBC 2 information types the server sets itself.
constexpr uint16_t kActiveStatements = 1;
constexpr uint16_t kFetchDirection = 8;
constexpr uint16_t kOdbcApiConformance = 9;
constexpr uint16_t kRowUpdates = 11;
constexpr uint16_t kServerName = 13;
constexpr uint16_t kDatabaseName = 16;
constexpr uint16_t kMultResultSets = 36;
constexpr uint16_t kScrollConcurrency = 43;
constexpr uint16_t kScrollOptions = 44;
constexpr uint16_t kLockTypes = 78;
constexpr uint16_t kPosOperations = 79;
constexpr uint16_t kPositionedStatements = 80;
constexpr uint16_t kGetDataExtensions = 81;
constexpr uint16_t kBookmarkPersistence = 82;
constexpr uint16_t kStaticSensitivity = 83;

constexpr uint32_t kFetchNext = 1;          // SQL_FD_FETCH_NEXT
constexpr uint32_t kScrollReadOnly = 1;     // SQL_SCCO_READ_ONLY
constexpr uint32_t kForwardOnly = 1;        // SQL_SO_FORWARD_ONLY
constexpr uint32_t kApiLevel1 = 1;          // SQL_OAC_LEVEL1
constexpr uint32_t kAnyColumnAnyOrder = 3;  // SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER

bool IsText(uint16_t t) {
  switch (t) {
    case 2:
    case 6:
    case 7:
    case 10:
    case 11:
    case 13:
    case 14:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 25:
    case 27:
    case 29:
    case 36:
    case 37:
    case 38:
    case 39:
    case 40:
    case 41:
    case 42:
    case 45:
    case 47:
    case 73:
    case 77:
    case 87:
    case 89:
    case 90:
    case 94:
    case 103:
    case 111:
    case 113:
      return true;
    default:
      return false;
  }
}

bool IsU16(uint16_t t) {
  switch (t) {
    case 0:
    case 1:
    case 9:
    case 12:
    case 15:
    case 22:
    case 23:
    case 24:
    case 28:
    case 30:
    case 31:
    case 32:
    case 33:
    case 34:
    case 35:
    case 46:
    case 74:
    case 75:
    case 84:
    case 85:
    case 88:
    case 93:
    case 97:
    case 98:
    case 99:
    case 100:
    case 101:
    case 107:
    case 114:
      return true;
    default:
      return false;
  }
}

// The width in which ODBC defines a numeric type; the client reads a few of
// them wider (such as SQL_MAX_TABLES_IN_SELECT as a u32).
InfoWidth BackendWidth(uint16_t t) {
  return IsU16(t) || t == 106 ? InfoWidth::kU16 : InfoWidth::kU32;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

const uint16_t kServerInfoTexts[27] = {20, 19,  87, 17, 18, 25, 14, 27, 73, 29, 89, 113, 103, 37,
                                       36, 111, 90, 38, 39, 21, 40, 41, 42, 11, 13, 94,  45};
const uint16_t kLoginLongs[25] = {86, 82, 26, 8,  81, 78, 112, 108, 102, 104, 105, 106, kNoInfo,
                                  91, 79, 80, 92, 43, 44, 83,  95,  109, 110, 72,  96};
const uint16_t kLoginShorts[27] = {9,  22, 74, 23,  24, 88, 28, 30, 97,  98, 99, 100, 101, 32,
                                   33, 34, 35, 107, 75, 85, 0,  1,  114, 93, 12, 15,  46};

InfoKind InfoKindOf(uint16_t type) {
  if (type == kInfoDriverSpecific) return InfoKind::kU32;
  if (type > 114) return InfoKind::kNone;
  switch (type) {
    case 3:   // SQL_DRIVER_HDBC
    case 4:   // SQL_DRIVER_HENV
    case 5:   // SQL_DRIVER_HSTMT
    case 76:  // SQL_DRIVER_HLIB
      return InfoKind::kNone;
    default:
      break;
  }
  if (IsText(type)) return InfoKind::kText;
  if (IsU16(type)) return InfoKind::kU16;
  return InfoKind::kU32;
}

bool AnnouncedInfo(BackendConnection& backend, uint16_t type, const InfoContext& context,
                   InfoValue* value) {
  *value = InfoValue{};
  InfoKind kind = InfoKindOf(type);
  if (kind == InfoKind::kNone) return false;
  DiagList ignored;  // a value the backend cannot give is announced empty
  if (kind == InfoKind::kText) {
    value->is_text = true;
    switch (type) {
      case kMultResultSets:
      case kRowUpdates:
        value->text.assign(1, 'N');
        return true;
      case kServerName:
        // The backend's answer is often a path on the server.
        value->text = context.server_dsn;
        return true;
      default:
        break;
    }
    if (!Succeeded(backend.GetInfoText(type, &value->text, &ignored))) value->text.clear();
    if (type == kDatabaseName) value->text = BaseName(value->text);
    return true;
  }
  switch (type) {
    case kFetchDirection:
      value->number = kFetchNext;
      return true;
    case kScrollConcurrency:
      value->number = kScrollReadOnly;
      return true;
    case kScrollOptions:
      value->number = kForwardOnly;
      return true;
    case kLockTypes:
    case kPosOperations:
    case kPositionedStatements:
    case kBookmarkPersistence:
    case kStaticSensitivity:
    case kInfoDriverSpecific:
      value->number = 0;
      return true;
    default:
      break;
  }
  uint32_t n = 0;
  if (!Succeeded(backend.GetInfoNumber(type, BackendWidth(type), &n, &ignored))) n = 0;
  switch (type) {
    case kGetDataExtensions:
      n &= kAnyColumnAnyOrder;
      break;
    case kOdbcApiConformance:
      n = std::min(n, kApiLevel1);
      break;
    case kActiveStatements: {
      uint32_t cap = static_cast<uint32_t>(std::min(context.max_statements, 65535));
      if (n == 0 || n > cap) n = cap;
      break;
    }
    default:
      break;
  }
  if (kind == InfoKind::kU16) n &= 0xFFFF;
  value->number = n;
  return true;
}

}  // namespace velsrv
