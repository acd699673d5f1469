#include "tools/shared/dsn_store.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/profile.h"
#include "common/str_util.h"
#include "platform/file_system.h"
#include "tools/shared/tool_text.h"

PlatDsnScope DsnScope(const ServiceSettings& settings) {
  return settings.system_dsn != 0 ? PlatDsnScope::kSystem : PlatDsnScope::kUser;
}

std::string DriverLibraryPath(const ToolEnv& env) {
  char path[513];
  ProfileReadString(kOdbcInstKey, env.driver_name.c_str(), "Driver", "", path, sizeof path);
  return path;
}

bool NamesThisDriver(const ToolEnv& env, const std::string& driver_value) {
  if (driver_value.empty()) return false;
  if (StrCaseCompare(driver_value.c_str(), env.driver_name.c_str()) == 0) return true;
  return driver_value == DriverLibraryPath(env);
}

bool CollectDriverDataSources(const ToolEnv& env, PlatDsnScope scope,
                              std::vector<std::string>* names) {
  names->clear();
  std::vector<std::string> all;
  if (!PlatDsnList(scope, &all)) return false;
  for (const std::string& name : all) {
    std::string driver;
    if (PlatDsnGetValue(scope, name, "Driver", &driver) && NamesThisDriver(env, driver))
      names->push_back(name);
  }
  return true;
}

std::string FileDsnDirectory() {
  char dir[261];
  for (const char* path : {"HKEY_CURRENT_USER\\SOFTWARE\\ODBC\\ODBC.INI",
                           "HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI"}) {
    if (ProfileReadString(path, "ODBC File DSN", "DefaultDSNDir", "", dir, sizeof dir) != 0 &&
        dir[0] != '\0') {
      return dir;
    }
  }
  return PlatFileDsnDirectory();
}

bool FileDsnNameUsable(const std::string& dsn) {
  return !dsn.empty() && dsn != "." && dsn != ".." && dsn.find('/') == std::string::npos;
}

std::string FileDsnPath(const std::string& dsn) {
  static constexpr char kEnding[] = " (not sharable).DSN";
  // A name too long for a file has no File DSN: registration wrote none.
  if (!FileDsnNameUsable(dsn) || dsn.size() + sizeof kEnding > kPlatNameMax) return "";
  return FileDsnDirectory() + "/" + dsn + kEnding;
}

bool WriteFileDsn(const std::string& dsn) {
  std::string path = FileDsnPath(dsn);
  if (path.empty()) return false;
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return false;
  bool ok = std::fprintf(f, "[ODBC]\nDSN=%s", dsn.c_str()) > 0;
  return std::fclose(f) == 0 && ok;
}

bool RemoveDataSource(PlatDsnScope scope, const std::string& dsn) {
  // The installer answers success also when it removed nothing, so the
  // removal counts once the name is gone from the scope's file.
  if (!PlatDsnRemove(scope, dsn)) return false;
  std::vector<std::string> left;
  if (!PlatDsnList(scope, &left)) return false;
  for (const std::string& name : left) {
    if (StrCaseCompare(name.c_str(), dsn.c_str()) == 0) return false;
  }
  // The File DSN registration wrote carries the same name, suffix and all.
  std::string path = FileDsnPath(dsn);
  return path.empty() || ::unlink(path.c_str()) == 0 || errno == ENOENT;
}
