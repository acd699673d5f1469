#include "driver/odbc/connect/conn_string.h"

#include <cstring>
#include <string>
#include <vector>

#include "common/key_value_list.h"
#include "common/memory.h"
#include "common/rec_array.h"
#include "common/str_util.h"
#include "driver/odbc/core/arg_copy.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/diag/drv_messages.h"

namespace {

constexpr uint32_t kMaxValueLength = kConnKeywordValueSize - 1;
constexpr size_t kWorkBufferSize = 16385;
constexpr uint16_t kClassMask = 0x0FFF;

// Splits `text` into pairs, posting what the splitter reports. Null when it
// failed (posted).
RecArray* SplitPairs(DrvConn* connection, const char* text) {
  RecArray* pairs = ArrCreate(8, sizeof(KeyValueRecord), 0, 0);
  if (pairs == nullptr) {
    PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
    return nullptr;
  }
  switch (ParseKeyValueList(pairs, text)) {
    case kKeyValueOk:
      return pairs;
    case kKeyValueMissingEquals:
      PostDbcError(connection, kMsgErrNoEqualsInConstr, 0, nullptr);
      break;
    case kKeyValueBadKey:
      PostDbcError(connection, kMsgErrConstrSyntax, 0, nullptr);
      break;
    default:
      PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
      break;
  }
  ArrDestroy(pairs);
  return nullptr;
}

bool IsSelector(const DrvConn* connection, uint32_t index) {
  return index == connection->keyword_dsn || index == connection->keyword_driver;
}

// Appends `text`; false once the work buffer is full. Nothing the keyword
// table can hold comes near its size (16 KiB against a few dozen keywords
// of at most 512 characters), but a table grown by a large login reply must
// not overrun it.
bool Append(std::string& out, const char* text) {
  size_t n = std::strlen(text);
  if (out.size() + n >= kWorkBufferSize) return false;
  out.append(text, n);
  return true;
}

// One browse item: "[*]name[:label]=?;" or with choices "{a,b}".
bool AppendBrowseItem(DrvConn* connection, const ConnKeyword& keyword, bool optional,
                      std::string& out, bool* no_memory) {
  if (optional && !Append(out, "*")) return false;
  if (!Append(out, keyword.name)) return false;
  if (keyword.label != 0) {
    char label[512];
    if (DrvMessageText(keyword.label, label, sizeof label) != 1) {
      PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
      *no_memory = true;
      return false;
    }
    if (!Append(out, ":") || !Append(out, label)) return false;
  }
  if (!Append(out, "=")) return false;
  if ((keyword.kind & kKeywordChoices) != 0 && keyword.choices != nullptr) {
    if (!Append(out, "{")) return false;
    for (uint32_t i = 0; i < ArrCount(keyword.choices); ++i) {
      const char* choice = *static_cast<const char* const*>(ArrAt(keyword.choices, i));
      if ((i > 0 && !Append(out, ",")) || !Append(out, choice)) return false;
    }
    if (!Append(out, "}")) return false;
  } else if (!Append(out, "?")) {
    return false;
  }
  return Append(out, ";");
}

}  // namespace

int32_t ParseConnectAttributes(DrvConn* connection, const char* text) {
  RecArray* pairs = SplitPairs(connection, text);
  if (pairs == nullptr) return -1;
  bool unknown = false;
  int32_t result = 0;
  for (uint32_t p = 0; p < ArrCount(pairs); ++p) {
    const auto* pair = static_cast<const KeyValueRecord*>(ArrAt(pairs, p));
    if (pair->value_length > kMaxValueLength) {
      PostDbcError(connection, kMsgErrConstrValueTooLong, 0, nullptr);
      result = -1;
      break;
    }
    uint32_t found = connection->keyword_count;
    for (uint32_t k = 0; k < connection->keyword_count; ++k) {
      const char* name = connection->keywords[k].name;
      if (std::strlen(name) == pair->key_length &&
          StrCaseNCompare(name, pair->key, pair->key_length) == 0) {
        found = k;
        break;
      }
    }
    if (found == connection->keyword_count) {
      unknown = true;
      continue;
    }
    ConnKeyword& keyword = connection->keywords[found];
    if (keyword.set) continue;
    if (IsSelector(connection, found) && (connection->keywords[connection->keyword_dsn].set ||
                                          connection->keywords[connection->keyword_driver].set))
      continue;
    if (pair->value_length > 0) std::memcpy(keyword.value, pair->value, pair->value_length);
    keyword.value[pair->value_length] = '\0';
    if (ValueNeedsBraces(keyword.name, keyword.value)) {
      // The table must not keep a value it refused.
      keyword.value[0] = '\0';
      PostDbcError(connection, kMsgErrConstrValueInvalid, 0, nullptr);
      result = -1;
      break;
    }
    keyword.set = 1;
  }
  ArrDestroy(pairs);
  if (result != 0) return result;
  if (unknown) {
    PostDbcError(connection, kMsgErrInvalConstrAttr, 0, nullptr);
    return 1;
  }
  return 0;
}

int32_t BrowseParseAttributes(DrvConn* connection, const char* text) {
  // A later call may correct what an earlier one gave (the data source
  // stays the one chosen first): those values are opened for this parse
  // and kept where the text does not give them again.
  struct Earlier {
    uint32_t index;
    std::string value;
  };
  std::vector<Earlier> earlier;
  for (uint32_t k = 0; k < connection->keyword_count; ++k) {
    ConnKeyword& keyword = connection->keywords[k];
    if (!keyword.set || IsSelector(connection, k)) continue;
    earlier.push_back(Earlier{k, keyword.value});
    keyword.set = 0;
  }
  int32_t result = ParseConnectAttributes(connection, text);
  for (const Earlier& kept : earlier) {
    ConnKeyword& keyword = connection->keywords[kept.index];
    if (keyword.set && result >= 0) continue;
    std::memcpy(keyword.value, kept.value.c_str(), kept.value.size() + 1);
    keyword.set = 1;
  }
  return result;
}

int ValueNeedsBraces(const char* keyword, const char* value) {
  const char* forbidden = StrCaseCompare(keyword, "DSN") == 0 ? "[]{}(),;*=!@" : ";=";
  return std::strpbrk(value, forbidden) != nullptr ? 1 : 0;
}

int32_t BuildConnectString(DrvConn* connection, char* out, int32_t size, int32_t* length,
                           int browse) {
  std::string work;
  work.reserve(1024);
  bool required_missing = false;
  if (browse) {
    for (uint32_t k = 0; k < connection->keyword_count; ++k) {
      const ConnKeyword& keyword = connection->keywords[k];
      if ((keyword.kind & kClassMask) == kKeywordRequired && !keyword.set) required_missing = true;
    }
  }
  bool no_memory = false;
  const bool selector_set = connection->keywords[connection->keyword_dsn].set ||
                            connection->keywords[connection->keyword_driver].set;
  for (uint32_t k = 0; k < connection->keyword_count; ++k) {
    const ConnKeyword& keyword = connection->keywords[k];
    bool fits = true;
    if (!browse) {
      if (keyword.set) {
        fits = Append(work, keyword.name) && Append(work, "=") && Append(work, keyword.value) &&
               Append(work, ";");
      }
    } else if (!keyword.set && (keyword.kind & kKeywordUnlisted) == 0) {
      switch (keyword.kind & kClassMask) {
        case kKeywordSelector:
          if (!selector_set) fits = Append(work, keyword.name) && Append(work, "=?;");
          break;
        case kKeywordRequired:
          fits = AppendBrowseItem(connection, keyword, false, work, &no_memory);
          break;
        case kKeywordOptional:
          if (required_missing)
            fits = AppendBrowseItem(connection, keyword, true, work, &no_memory);
          break;
        default:
          break;
      }
    }
    if (no_memory) return -1;
    if (!fits) break;  // whole items only; the rest cannot fit any buffer of ODBC's lengths
  }
  int cut = CopyOutString(out, work.c_str(), size, length);
  if (browse && required_missing) return 99;
  if (cut) {
    PostDbcError(connection, kMsgErrDataTruncation, 0, nullptr);
    return 1;
  }
  return 0;
}

int32_t BrowseBuildOutput(DrvConn* connection, char* out, int32_t size, int32_t* length) {
  return BuildConnectString(connection, out, size, length, 1);
}
