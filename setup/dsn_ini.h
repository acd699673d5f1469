// A data source's section in the installer's odbc.ini (user or system, as
// the installer's configuration mode says), written so that configuring an
// existing data source keeps every key it is not given: the installer's
// SQLWriteDSNToIni empties an existing section, so it only starts new ones.
#pragma once

enum class DsnSection {
  kAbsent,       // no such section
  kNoDriver,     // a section without a Driver key
  kThisDriver,   // Driver names this driver: its name or its library
  kOtherDriver,  // Driver names another driver
};

// What the section of `dsn` holds, for the driver registered as `driver`.
DsnSection FindDsnSection(const char* dsn, const char* driver);

// Makes sure the section exists and names the driver, never touching a
// section of another driver. False when the installer fails or the section
// belongs to another driver.
bool PrepareDsnSection(const char* dsn, const char* driver, DsnSection found);

// Writes one key of the section; false when the installer fails or the
// value has a line break, which would add stray lines to the file.
bool WriteDsnValue(const char* dsn, const char* key, const char* value);

// Whether the name may name a data source: the installer's check, and no
// blank at either end (the installer does not keep those blanks in the
// section's header, so such a name writes one section and looks for
// another).
bool UsableDsnName(const char* name);
