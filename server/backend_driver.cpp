#include "server/backend_driver.h"

#include <odbcinst.h>
#include <strings.h>

#include "common/str_util.h"

namespace velsrv {

namespace {

// The value of `key` in an ODBC connection string (keys without regard to
// case, the first occurrence winning, a value in braces taken whole and
// without them); empty when it has none.
std::string ValueOf(const std::string& text, const char* key) {
  size_t at = 0;
  while (at < text.size()) {
    size_t eq = text.find('=', at);
    if (eq == std::string::npos) break;
    size_t end;
    std::string value;
    if (eq + 1 < text.size() && text[eq + 1] == '{') {
      size_t close = text.find('}', eq + 2);
      if (close == std::string::npos) close = text.size();
      value = text.substr(eq + 2, close - eq - 2);
      end = text.find(';', close);
    } else {
      end = text.find(';', eq + 1);
      value = text.substr(eq + 1, (end == std::string::npos ? text.size() : end) - eq - 1);
    }
    if (strcasecmp(Trim(text.substr(at, eq - at), " \t").c_str(), key) == 0) return value;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return "";
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
  std::string driver = ValueOf(connection_string, "DRIVER");
  if (driver.empty()) {
    std::string dsn = ValueOf(connection_string, "DSN");
    if (dsn.empty()) dsn = "DEFAULT";
    driver = Profile(dsn, "Driver", "ODBC.INI");
    if (driver.empty()) return "DSN=" + dsn;
  }
  std::string library = Profile(driver, "Driver", "ODBCINST.INI");
  return FileName(library.empty() ? driver : library);
}

}  // namespace velsrv
