#include "setup/dsn_ini.h"

#include <odbcinst.h>

#include <cstring>

#include "common/str_util.h"
#include "setup/setup_module.h"

namespace {

constexpr int kValueSize = 1024;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

DsnSection FindDsnSection(const char* dsn, const char* driver) {
  char keys[kValueSize] = "";
  if (SQLGetPrivateProfileString(dsn, nullptr, "", keys, sizeof keys, SetupOdbcIniName()) <= 0 ||
      keys[0] == '\0') {
    return DsnSection::kAbsent;
  }
  char named[kValueSize] = "";
  SQLGetPrivateProfileString(dsn, "Driver", "", named, sizeof named, SetupOdbcIniName());
  if (named[0] == '\0') return DsnSection::kNoDriver;
  if (StrCaseCompare(named, driver) == 0) return DsnSection::kThisDriver;
  char library[kValueSize] = "";
  SQLGetPrivateProfileString(driver, "Driver", "", library, sizeof library, "ODBCINST.INI");
  if (library[0] != '\0' && std::strcmp(named, library) == 0) return DsnSection::kThisDriver;
  return DsnSection::kOtherDriver;
}

bool PrepareDsnSection(const char* dsn, const char* driver, DsnSection found) {
  switch (found) {
    case DsnSection::kAbsent:
      return SQLWriteDSNToIni(dsn, driver) != 0;
    case DsnSection::kNoDriver:
      return WriteDsnValue(dsn, "Driver", driver);
    case DsnSection::kThisDriver:
      return true;
    case DsnSection::kOtherDriver:
      return false;
  }
  return false;
}

bool WriteDsnValue(const char* dsn, const char* key, const char* value) {
  if (std::strpbrk(value, "\r\n") != nullptr) return false;
  return SQLWritePrivateProfileString(dsn, key, value, SetupOdbcIniName()) != 0;
}

bool UsableDsnName(const char* name) {
  size_t length = std::strlen(name);
  if (length == 0 || IsBlank(name[0]) || IsBlank(name[length - 1])) return false;
  return SQLValidDSN(name) != 0;
}
