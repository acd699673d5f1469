#include "server/backend_driver.h"

#include <odbcinst.h>

#include "server/conn_string.h"

namespace velsrv {

namespace {

std::string Unbraced(std::string value) {
  if (value.size() >= 2 && value.front() == '{' && value.back() == '}')
    value = value.substr(1, value.size() - 2);
  return value;
}

std::string Profile(const std::string& section, const char* key, const char* file) {
  char value[1024] = "";
  int n = SQLGetPrivateProfileString(section.c_str(), key, "", value, sizeof value, file);
  return n > 0 ? std::string(value) : std::string();
}

std::string FileName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string BackendDriverOf(const std::string& connection_string) {
  ConnString cs;
  cs.Parse(connection_string);
  std::string driver = Unbraced(cs.Get("DRIVER").value_or(""));
  if (driver.empty()) {
    std::string dsn = Unbraced(cs.Get("DSN").value_or(""));
    if (dsn.empty()) dsn = "DEFAULT";
    driver = Profile(dsn, "Driver", "ODBC.INI");
    if (driver.empty()) return "DSN=" + dsn;
  }
  std::string library = Profile(driver, "Driver", "ODBCINST.INI");
  return FileName(library.empty() ? driver : library);
}

}  // namespace velsrv
