// Data sources of the ODBC installer library, one scope at a time: the
// user's odbc.ini or the system's, the installer's configuration mode
// switched for each call and restored. (The registry's ODBC.INI key of the
// current user follows the current mode, which by default also shows the
// system data sources.)
#pragma once

#include <string>
#include <vector>

enum class PlatDsnScope { kUser, kSystem };

// The scope's data source names (the sections of its odbc.ini). 1, or 0
// when the file is there but cannot be read (a missing file holds none).
int PlatDsnList(PlatDsnScope scope, std::vector<std::string>* names);
// The odbc.ini the installer reads for the scope: ODBCINI, else
// ~/.odbc.ini, for the user; odbc.ini in ODBCSYSINI, else /etc, for the
// system.
std::string PlatDsnFilePath(PlatDsnScope scope);
// 1 with the value; 0 when the data source or the key is missing.
int PlatDsnGetValue(PlatDsnScope scope, const std::string& dsn, const std::string& key,
                    std::string* value);
// 1, or 0 when the value cannot be written (a line break, a name the file
// cannot hold, no rights).
int PlatDsnSetValue(PlatDsnScope scope, const std::string& dsn, const std::string& key,
                    const std::string& value);
// A new data source naming `driver`: the installer's SQLWriteDSNToIni,
// which empties a section of that name first. 1 or 0.
int PlatDsnCreate(PlatDsnScope scope, const std::string& dsn, const std::string& driver);
// SQLRemoveDSNFromIni. 1 or 0.
int PlatDsnRemove(PlatDsnScope scope, const std::string& dsn);
// Whether the installer takes `name` as a data source name (SQLValidDSN).
bool PlatDsnNameValid(const std::string& name);

// The folder of file data sources: the installer's FileDSNPath, else
// ODBCDataSources beside the system files (ODBCSYSINI, else /etc).
std::string PlatFileDsnDirectory();
