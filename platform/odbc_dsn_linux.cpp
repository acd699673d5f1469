#include <odbcinst.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/file_system.h"
#include "platform/odbc_dsn.h"
#include "platform/registry.h"
#include "platform/registry_odbc_store.h"

namespace {

reg_odbc::IniFile FileOf(PlatDsnScope scope) {
  return scope == PlatDsnScope::kSystem ? reg_odbc::IniFile::kSystemDsn
                                        : reg_odbc::IniFile::kUserOnlyDsn;
}

}  // namespace

int PlatDsnList(PlatDsnScope scope, std::vector<std::string>* names) {
  // The installer reads a file it cannot open as one without data sources.
  std::string path = PlatDsnFilePath(scope);
  if (access(path.c_str(), F_OK) == 0 && !PlatFileReadable(path.c_str())) {
    names->clear();
    return 0;
  }
  return reg_odbc::ListSections(FileOf(scope), names) == kPlatRegOk;
}

std::string PlatDsnFilePath(PlatDsnScope scope) {
  if (scope == PlatDsnScope::kSystem) {
    const char* sys = std::getenv("ODBCSYSINI");
    return std::string(sys != nullptr && *sys != '\0' ? sys : "/etc") + "/odbc.ini";
  }
  const char* ini = std::getenv("ODBCINI");
  if (ini != nullptr && *ini != '\0') return ini;
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : "";
  }
  return std::string(home) + "/.odbc.ini";
}

int PlatDsnGetValue(PlatDsnScope scope, const std::string& dsn, const std::string& key,
                    std::string* value) {
  return reg_odbc::GetValue(FileOf(scope), dsn, key, value) == kPlatRegOk;
}

int PlatDsnSetValue(PlatDsnScope scope, const std::string& dsn, const std::string& key,
                    const std::string& value) {
  return reg_odbc::SetValue(FileOf(scope), dsn, key, value) == kPlatRegOk;
}

int PlatDsnCreate(PlatDsnScope scope, const std::string& dsn, const std::string& driver) {
  return reg_odbc::CreateDsn(FileOf(scope), dsn, driver) == kPlatRegOk;
}

int PlatDsnRemove(PlatDsnScope scope, const std::string& dsn) {
  return reg_odbc::RemoveDsn(FileOf(scope), dsn) == kPlatRegOk;
}

bool PlatDsnNameValid(const std::string& name) {
  return reg_odbc::SectionNameFits(name) && SQLValidDSN(name.c_str());
}

std::string PlatFileDsnDirectory() {
  std::string path;
  if (reg_odbc::GetValue(reg_odbc::IniFile::kDrivers, "ODBC", "FileDSNPath", &path) == kPlatRegOk &&
      !path.empty()) {
    return path;
  }
  const char* sys = std::getenv("ODBCSYSINI");
  return std::string(sys != nullptr && *sys != '\0' ? sys : "/etc") + "/ODBCDataSources";
}
