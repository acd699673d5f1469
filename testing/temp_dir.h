// A fresh directory under /tmp for one test, removed with all it holds.
#pragma once

#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string Path(const std::string& name) const;
  // Writes `content` byte for byte to the named file; returns its path.
  std::string Write(const std::string& name, const std::string& content) const;
  // The whole content of the named file ("" when it cannot be read).
  std::string Read(const std::string& name) const;

 private:
  std::string path_;
};
