#include "setup/file_dsn.h"

#include <odbcinst.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/profile.h"
#include "platform/file_system.h"

namespace {

constexpr uint32_t kDirectorySize = 261;

bool CopyOut(const std::string& text, char* buffer, size_t size) {
  if (text.empty() || text.size() >= size) return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

std::string InstallerFileDsnDirectory() {
  char path[kPlatPathMax] = "";
  SQLGetPrivateProfileString("ODBC", "FileDSNPath", "", path, sizeof path, "ODBCINST.INI");
  if (path[0] != '\0') return path;
  const char* system_dir = std::getenv("ODBCSYSINI");
  return std::string(system_dir != nullptr && *system_dir != '\0' ? system_dir : "/etc") +
         "/ODBCDataSources";
}

}  // namespace

bool FileDsnDirectory(char* directory, size_t size) {
  static const char* const kRoots[] = {"HKEY_CURRENT_USER\\SOFTWARE\\ODBC\\ODBC.INI",
                                       "HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI"};
  for (const char* root : kRoots) {
    char found[kDirectorySize] = "";
    ProfileReadString(root, "ODBC File DSN", "DefaultDSNDir", "", found, sizeof found);
    if (found[0] != '\0') return CopyOut(found, directory, size);
  }
  return CopyOut(InstallerFileDsnDirectory(), directory, size);
}

bool WriteFileDsn(const char* dsn) {
  if (*dsn == '\0' || std::strchr(dsn, '/') != nullptr) return false;
  char directory[kPlatPathMax];
  if (!FileDsnDirectory(directory, sizeof directory)) return false;
  std::string path = std::string(directory) + "/" + dsn + " (not sharable).DSN";
  if (path.size() >= kPlatPathMax) return false;
  FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  bool written = std::fprintf(file, "[ODBC]\nDSN=%s", dsn) > 0;
  return std::fclose(file) == 0 && written;
}
