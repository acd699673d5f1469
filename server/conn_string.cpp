#include "server/conn_string.h"

#include <strings.h>

#include "common/key_value_list.h"
#include "common/rec_array.h"

namespace velsrv {

bool ConnString::Parse(const std::string& text) {
  pairs_.clear();
  RecArray* records = ArrCreate(8, sizeof(KeyValueRecord), 0, 0);
  if (records == nullptr) return false;
  int32_t result = ParseKeyValueList(records, text.c_str());
  for (uint32_t i = 0; i < ArrCount(records); ++i) {
    const auto* r = static_cast<const KeyValueRecord*>(ArrAt(records, i));
    pairs_.emplace_back(std::string(r->key, r->key_length), std::string(r->value, r->value_length));
  }
  ArrDestroy(records);
  return result == kKeyValueOk;
}

std::optional<std::string> ConnString::Get(const std::string& key) const {
  for (const auto& [k, v] : pairs_) {
    if (k.size() == key.size() && strcasecmp(k.c_str(), key.c_str()) == 0) return v;
  }
  return std::nullopt;
}

std::string MaskedConnectString(const std::string& text) {
  ConnString cs;
  cs.Parse(text);
  std::string out;
  for (const auto& [key, value] : cs.pairs()) {
    bool secret = strcasecmp(key.c_str(), "PWD") == 0 || strcasecmp(key.c_str(), "Password") == 0;
    out += (out.empty() ? "" : ";") + key + "=" + (secret ? "***" : value);
  }
  return out;
}

}  // namespace velsrv
