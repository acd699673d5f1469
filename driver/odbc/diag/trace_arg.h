// A string argument as an entry trace line shows it ("%.*s"): never more
// than the length the application gave, the whole text only for SQL_NTS,
// "NULL" for a null pointer.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <climits>

struct TraceArg {
  int precision;
  const char* text;
};

inline TraceArg TracedString(const SQLCHAR* text, SQLSMALLINT length) {
  if (text == nullptr || length == SQL_NULL_DATA) return {4, "NULL"};
  if (length == SQL_NTS) return {INT_MAX, reinterpret_cast<const char*>(text)};
  if (length < 0) return {0, ""};
  return {length, reinterpret_cast<const char*>(text)};
}
