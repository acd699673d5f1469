// The connection's keyword table as text: parsing the application's
// connection string into it, and building the login string, the completed
// string SQLDriverConnect returns and the browse list of missing attributes.
#pragma once

#include <cstdint>

struct DrvConn;

// Keywords of `text` into the connection's table. The first value given for
// a keyword wins; DSN and DRIVER exclude each other. 0, 1 (SQL_SUCCESS_WITH_
// INFO: an unknown keyword was met, 5175 posted) or -1 (posted). A failure
// leaves the values stored before the failing pair.
int32_t ParseConnectAttributes(DrvConn* connection, const char* text);
// The same parse, for the browse connect that adds to earlier calls.
int32_t BrowseParseAttributes(DrvConn* connection, const char* text);

// 1 when `value` holds a character the keyword's value must not contain.
int ValueNeedsBraces(const char* keyword, const char* value);

// The set keywords as "name=value;" items (browse 0), or the still-unset
// attributes the browse connect lists (browse 1), copied out into `out` of
// `size` bytes with the full length in *length. 0; 1 when cut (5102
// posted); 99 in browse form while a required keyword is unset; -1 (5136).
int32_t BuildConnectString(DrvConn* connection, char* out, int32_t size, int32_t* length,
                           int browse);
int32_t BrowseBuildOutput(DrvConn* connection, char* out, int32_t size, int32_t* length);
