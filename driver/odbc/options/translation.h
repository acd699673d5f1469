// Translation libraries: a shared library named by the connection option
// SQL_TRANSLATE_DLL (or the data source's "TranslationDLL" key) whose
// SQLDriverToDataSource rewrites statement text before it is sent.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvConn;
struct DrvStmt;

// Loads the library `name` and resolves both of its entry points; an empty
// name unloads the current one. A null name posts S1009; a library that
// does not load or lacks an entry point posts IM009 and keeps the library
// loaded before. SQL_SUCCESS or SQL_ERROR.
SQLRETURN LoadTranslationLibrary(DrvConn* connection, const char* name);
// Unloads the connection's library, if any, and forgets its name.
void UnloadTranslationLibrary(DrvConn* connection);

// Translates `source_length` bytes (SQL_NTS: a NUL-terminated text) of C
// type `c_type` at `source` into `target` (`target_size` bytes; never the
// same buffer as the source). Without a library the value is copied. A
// character result is always NUL-terminated; *out_length gets the length
// the translation produced, which may exceed what fitted. 1 on success; 0
// when the library failed, with IM009 and its message posted on the
// statement (on the connection when `statement` is null).
int TranslateValue(DrvConn* connection, DrvStmt* statement, int16_t c_type, const void* source,
                   int32_t source_length, void* target, int32_t target_size, int32_t* out_length);

// What the execute and prepare paths call on statement text before it is
// sent. The application's text is never written to.
//   - No library loaded: returns 1 with *copy_out null; send `text` as is.
//   - Translated: returns 1 with *copy_out a NUL-terminated copy allocated
//     with MemAlloc; send it, then MemFree it.
//   - Failed (the library refused, the result did not fit, memory ran out):
//     returns 0 with *copy_out null and a diagnostic posted on `statement`
//     (on the connection when `statement` is null); end the call with
//     SQL_ERROR.
// `text` must be NUL-terminated.
int TranslateStatementText(DrvConn* connection, DrvStmt* statement, const char* text,
                           char** copy_out);
