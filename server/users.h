// A users list: who may log in to a data source whose backend credentials
// the server holds. One "name:hash" line per user, the hash made by the
// system's crypt(3) (`velsrv --hash-password` prints one); '#' starts a
// comment line.
#pragma once

#include <map>
#include <set>
#include <string>

namespace velsrv {

class UserList {
 public:
  // False with a message naming the file and line on any fault. Every
  // hash is tried once with crypt(3), which takes a good part of a second
  // for a strong one, except those in `checked` (hashes of a list read
  // before): a reload checks only what changed.
  bool Load(const std::string& path, std::string* error,
            const std::set<std::string>* checked = nullptr);
  bool Parse(const std::string& text, std::string* error,
             const std::set<std::string>* checked = nullptr);

  // True when the user is listed and the password matches the hash. An
  // unknown user costs the same hashing as a known one.
  bool Verify(const std::string& user, const std::string& password) const;
  size_t size() const { return hashes_.size(); }
  // Adds the list's hashes, checked when it was read, to `checked`.
  void AddCheckedHashes(std::set<std::string>* checked) const;

 private:
  std::map<std::string, std::string> hashes_;
};

// A fresh salted hash of the password, by the system's preferred method.
// False with a message when crypt(3) cannot make one.
bool HashPassword(const std::string& password, std::string* hash, std::string* error);

}  // namespace velsrv
