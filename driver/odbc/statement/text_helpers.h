// Small text routines of the statement functions: generated cursor names, a
// search in SQL text outside quoted literals, trimming, and the
// escape-clause step.
#pragma once

#include <cstddef>
#include <cstdint>

struct DrvConn;
struct DrvStmt;

// Writes "SQL_CUR" and a number in lower-case hex into the statement's
// cursor name. The number counts up per process, so names stay unique and
// always fit the field.
void MakeCursorName(DrvStmt* statement);
// The first place outside single-quoted literals where `word` starts,
// letters compared ignoring case (no word boundaries); null when none.
// Two quotes in a row inside a literal are one quote character.
const char* FindWordOutsideQuotes(const char* text, const char* word);
// Cuts characters of `set` from both ends of `text` in place and returns
// the first kept one. Null when either is null; the text itself when either
// is empty.
char* TrimSet(char* text, const char* set);
// Copies the SQL text as it is into `destination` of `size` bytes (cut to
// fit and terminated). 0.
int32_t ProcessEscapeClauses(DrvConn* connection, DrvStmt* statement, const char* text,
                             char* destination, size_t size);
