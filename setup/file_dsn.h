// The File DSN that goes with a data source: "<dsn> (not sharable).DSN" in
// the File DSN directory, holding only the data source's name.
#pragma once

#include <cstddef>

// The directory: the user's, then the machine's DefaultDSNDir under
// "ODBC File DSN", else the installer's file data source directory
// (FileDSNPath in odbcinst.ini's [ODBC] section, else ODBCDataSources
// beside the installer's system files). False when none fits.
bool FileDsnDirectory(char* directory, size_t size);

// Writes the File DSN, replacing an older one. False when it cannot be
// written: no directory, a name that would leave it ("/"), a path that
// does not fit or a file that cannot be created.
bool WriteFileDsn(const char* dsn);
