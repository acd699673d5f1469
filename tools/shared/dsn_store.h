// This driver's data sources in the installer's files, as registration
// sees them: which exist, which belong to this driver, their File DSNs.
#pragma once

#include <string>
#include <vector>

#include "platform/odbc_dsn.h"
#include "tools/shared/service_settings.h"
#include "tools/shared/tool_env.h"

// Longest client data source name the tools register.
constexpr size_t kDsnNameMax = 35;

PlatDsnScope DsnScope(const ServiceSettings& settings);

// The Driver value of the driver's odbcinst.ini section: its library path.
std::string DriverLibraryPath(const ToolEnv& env);
// Whether a data source's Driver value names this driver: its registered
// name (in any case) or its library path.
bool NamesThisDriver(const ToolEnv& env, const std::string& driver_value);

// The names of the scope's data sources of this driver. False when the
// file cannot be read.
bool CollectDriverDataSources(const ToolEnv& env, PlatDsnScope scope,
                              std::vector<std::string>* names);

// The folder registration writes File DSNs into: DefaultDSNDir of the
// user's, else the machine's "ODBC File DSN" section, else the installer's
// folder of file data sources.
std::string FileDsnDirectory();
// Whether a data source name can name a file in that folder: no path
// separator, not "." or "..". Names come from servers and from hand-edited
// files, and a File DSN is written and deleted by name.
bool FileDsnNameUsable(const std::string& dsn);
// The File DSN's path; empty for a name that cannot name one (also one too
// long for a file name).
std::string FileDsnPath(const std::string& dsn);
// Writes "[ODBC]\nDSN=<dsn>"; false when the file cannot be written or the
// name cannot name one.
bool WriteFileDsn(const std::string& dsn);
// Removes the data source and the File DSN registration wrote for it (none
// for a name that cannot name one); false when the data source is still
// there afterwards or its File DSN could not be deleted.
bool RemoveDataSource(PlatDsnScope scope, const std::string& dsn);
