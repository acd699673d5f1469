// The login's connection string, read with the client's own rules (the
// shared key=value splitter), keys compared without case, the first
// occurrence of a key winning.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velsrv {

class ConnString {
 public:
  // False when the text does not split into pairs (a key without '=', an
  // empty key); the pairs read before the fault are kept.
  bool Parse(const std::string& text);
  // The value of the first pair whose key equals `key` ignoring case.
  std::optional<std::string> Get(const std::string& key) const;
  const std::vector<std::pair<std::string, std::string>>& pairs() const { return pairs_; }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
};

// A connection string as the log may show it: its pairs as read, the
// values of PWD and Password shown as "***".
std::string MaskedConnectString(const std::string& text);

}  // namespace velsrv
