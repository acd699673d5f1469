// The ODBC installer library's ini files as registry keys: sections are the
// keys below ODBC.INI / ODBCINST.INI and ini keys are their values. Internal
// to platform/.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace reg_odbc {

enum class IniFile {
  kUserDsn,    // odbc.ini in the installer's current configuration mode
  kSystemDsn,  // odbc.ini of the system data sources
  kDrivers,    // odbcinst.ini
  // The user's own odbc.ini, whatever the current mode: in the installer's
  // default mode the user file reads with the system data sources merged in.
  kUserOnlyDsn,
};

// Whether a section, a key and a key's value can be written through the
// installer and read back as they were. The value check counts the key: the
// installer reads lines of limited length and would split a longer one into
// stray keys.
bool SectionNameFits(std::string_view name);
bool KeyNameFits(std::string_view name);
bool ValueFits(std::string_view key, std::string_view value);

// Results are the registry's codes (platform/registry.h).
long ListSections(IniFile file, std::vector<std::string>* names);
long ListKeys(IniFile file, const std::string& section, std::vector<std::string>* names);
// kPlatRegNotFound when the section or the key is missing.
long GetValue(IniFile file, const std::string& section, const std::string& key, std::string* value);
long SetValue(IniFile file, const std::string& section, const std::string& key,
              const std::string& value);
long DeleteValue(IniFile file, const std::string& section, const std::string& key);
long DeleteSection(IniFile file, const std::string& section);

// A data source through the installer's own calls: SQLWriteDSNToIni (which
// empties a section that exists) and SQLRemoveDSNFromIni. kUserOnlyDsn or
// kSystemDsn.
long CreateDsn(IniFile file, const std::string& name, const std::string& driver);
long RemoveDsn(IniFile file, const std::string& name);

}  // namespace reg_odbc
