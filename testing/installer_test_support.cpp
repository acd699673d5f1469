#include "testing/installer_test_support.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "testing/registry_sandbox.h"

namespace setup_testing {

namespace {

using testing_registry::ReadFileText;
using testing_registry::UseSandbox;

std::string Trim(const std::string& text) {
  size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(start, end - start + 1);
}

IniFile ParseIni(const std::string& text) {
  IniFile file;
  std::istringstream lines(text);
  Section* section = nullptr;
  for (std::string line; std::getline(lines, line);) {
    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      section = &file[line.substr(1, line.find(']') - 1)];
    } else if (section != nullptr && line.find('=') != std::string::npos) {
      size_t equals = line.find('=');
      (*section)[Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
    }
  }
  return file;
}

}  // namespace

void UseInstallerSandbox(const char* setup_library) {
  const auto& sandbox = UseSandbox();
  std::ofstream odbcinst(sandbox.odbc_sys_dir + "/odbcinst.ini");
  odbcinst << "[" << kDriver << "]\nDriver=" << kLibrary << "\n";
  if (setup_library != nullptr) odbcinst << "Setup=" << setup_library << "\n";
  mkdir((sandbox.odbc_sys_dir + "/ODBCDataSources").c_str(), 0700);
}

IniFile UserIni() {
  return ParseIni(ReadFileText(UseSandbox().odbc_user_ini));
}

IniFile SystemIni() {
  return ParseIni(ReadFileText(UseSandbox().odbc_sys_dir + "/odbc.ini"));
}

std::string FileDsn(const std::string& dsn) {
  return ReadFileText(UseSandbox().odbc_sys_dir + "/ODBCDataSources/" + dsn +
                      " (not sharable).DSN");
}

std::string Attributes(std::initializer_list<std::string> items) {
  std::string list;
  for (const std::string& item : items) list += item + '\0';
  return list + '\0';
}

InstallerError LastError() {
  InstallerError error;
  char text[1024] = "";
  WORD length = 0;
  if (SQLInstallerError(1, &error.code, text, sizeof text, &length) == SQL_SUCCESS) {
    error.text = text;
  }
  return error;
}

void MakeUserDsn(const char* dsn, const char* driver, const Section& keys) {
  SQLSetConfigMode(ODBC_USER_DSN);
  SQLWriteDSNToIni(dsn, driver);
  for (const auto& [key, value] : keys) {
    SQLWritePrivateProfileString(dsn, key.c_str(), value.c_str(), "ODBC.INI");
  }
  SQLSetConfigMode(ODBC_BOTH_DSN);
}

}  // namespace setup_testing
