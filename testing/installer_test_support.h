// What the setup library's tests share: private installer files with the
// driver registered, and those files read back as text.
#pragma once

#include <odbcinst.h>

#include <initializer_list>
#include <map>
#include <string>

namespace setup_testing {

constexpr char kDriver[] = "Velto Client";
constexpr char kLibrary[] = "/opt/velto/velclt32.so";

using Section = std::map<std::string, std::string>;
using IniFile = std::map<std::string, Section>;

// The process's sandbox (testing/registry_sandbox.h), with the driver
// registered in its odbcinst.ini (its setup library `setup_library`, when
// given) and a File DSN directory.
void UseInstallerSandbox(const char* setup_library);

IniFile UserIni();
IniFile SystemIni();
// The data source's File DSN, empty when there is none.
std::string FileDsn(const std::string& dsn);

// An attribute list from "key=value" strings.
std::string Attributes(std::initializer_list<std::string> items);

struct InstallerError {
  DWORD code = 0;
  std::string text;
};
// The first error the installer holds.
InstallerError LastError();

// A user data source written directly through the installer.
void MakeUserDsn(const char* dsn, const char* driver, const Section& keys);

}  // namespace setup_testing
