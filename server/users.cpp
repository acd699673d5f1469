#include "server/users.h"

#include <crypt.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "common/str_util.h"

namespace velsrv {

namespace {

// The time a comparison takes does not tell how many leading bytes matched.
bool SameBytes(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

// crypt(3) of the password with the hash as its setting; empty when the
// hash is no setting crypt knows (it then answers with a '*' string).
std::string Crypt(const std::string& password, const std::string& setting) {
  auto data = std::make_unique<crypt_data>();
  std::memset(data.get(), 0, sizeof *data);
  const char* out = crypt_rn(password.c_str(), setting.c_str(), data.get(), sizeof *data);
  std::string result = out != nullptr && out[0] != '*' ? out : "";
  std::memset(data.get(), 0, sizeof *data);
  return result;
}

}  // namespace

bool UserList::Parse(const std::string& text, std::string* error,
                     const std::set<std::string>* checked) {
  std::map<std::string, std::string> hashes;
  std::stringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    size_t colon = line.find(':');
    std::string name = colon == std::string::npos ? "" : Trim(line.substr(0, colon));
    std::string hash = colon == std::string::npos ? "" : Trim(line.substr(colon + 1));
    if (name.empty() || hash.empty()) {
      *error = "line " + std::to_string(number) + ": a user reads name:hash";
      return false;
    }
    // A hash crypt(3) cannot check would refuse its user without a word.
    bool known = checked != nullptr && checked->count(hash) != 0;
    if (!known && (hash[0] != '$' || Crypt("", hash).empty())) {
      *error = "line " + std::to_string(number) + ": the hash of " + name +
               " is not one crypt(3) can check (make one with velsrv --hash-password)";
      return false;
    }
    if (!hashes.emplace(name, hash).second) {
      *error = "line " + std::to_string(number) + ": user " + name + " twice";
      return false;
    }
  }
  hashes_ = std::move(hashes);
  return true;
}

void UserList::AddCheckedHashes(std::set<std::string>* checked) const {
  for (const auto& [name, hash] : hashes_) checked->insert(hash);
}

bool UserList::Load(const std::string& path, std::string* error,
                    const std::set<std::string>* checked) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  if (!Parse(text.str(), error, checked)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool UserList::Verify(const std::string& user, const std::string& password) const {
  auto it = hashes_.find(user);
  if (it == hashes_.end()) {
    if (!hashes_.empty()) Crypt(password, hashes_.begin()->second);
    return false;
  }
  std::string computed = Crypt(password, it->second);
  return !computed.empty() && SameBytes(computed, it->second);
}

bool HashPassword(const std::string& password, std::string* hash, std::string* error) {
  char setting[CRYPT_GENSALT_OUTPUT_SIZE];
  // No prefix: the method libcrypt prefers; no random bytes given: it takes
  // them from the system.
  if (crypt_gensalt_rn(nullptr, 0, nullptr, 0, setting, sizeof setting) == nullptr) {
    *error = std::string("crypt_gensalt: ") + std::strerror(errno);
    return false;
  }
  *hash = Crypt(password, setting);
  if (hash->empty()) {
    *error = "crypt(3) made no hash";
    return false;
  }
  return true;
}

}  // namespace velsrv
