#include "driver/odbc/statement/binding_refusal.h"

#include <sqlext.h>

#include "driver/odbc/core/diag.h"
#include "driver/odbc/diag/drv_messages.h"

namespace {

struct TypeName {
  int16_t code;
  const char* name;
};

constexpr TypeName kCTypes[] = {
    {SQL_C_CHAR, "SQL_C_CHAR"},           {SQL_C_WCHAR, "SQL_C_WCHAR"},
    {SQL_C_BINARY, "SQL_C_BINARY"},       {SQL_C_BIT, "SQL_C_BIT"},
    {SQL_C_TINYINT, "SQL_C_TINYINT"},     {SQL_C_STINYINT, "SQL_C_STINYINT"},
    {SQL_C_UTINYINT, "SQL_C_UTINYINT"},   {SQL_C_SHORT, "SQL_C_SHORT"},
    {SQL_C_SSHORT, "SQL_C_SSHORT"},       {SQL_C_USHORT, "SQL_C_USHORT"},
    {SQL_C_LONG, "SQL_C_LONG"},           {SQL_C_SLONG, "SQL_C_SLONG"},
    {SQL_C_ULONG, "SQL_C_ULONG"},         {SQL_C_SBIGINT, "SQL_C_SBIGINT"},
    {SQL_C_UBIGINT, "SQL_C_UBIGINT"},     {SQL_C_FLOAT, "SQL_C_FLOAT"},
    {SQL_C_DOUBLE, "SQL_C_DOUBLE"},       {SQL_C_NUMERIC, "SQL_C_NUMERIC"},
    {SQL_C_DATE, "SQL_C_DATE"},           {SQL_C_TIME, "SQL_C_TIME"},
    {SQL_C_TIMESTAMP, "SQL_C_TIMESTAMP"}, {SQL_C_TYPE_DATE, "SQL_C_TYPE_DATE"},
    {SQL_C_TYPE_TIME, "SQL_C_TYPE_TIME"}, {SQL_C_TYPE_TIMESTAMP, "SQL_C_TYPE_TIMESTAMP"},
    {SQL_C_GUID, "SQL_C_GUID"},
};

constexpr TypeName kSqlTypes[] = {
    {SQL_CHAR, "SQL_CHAR"},
    {SQL_VARCHAR, "SQL_VARCHAR"},
    {SQL_LONGVARCHAR, "SQL_LONGVARCHAR"},
    {SQL_WCHAR, "SQL_WCHAR"},
    {SQL_WVARCHAR, "SQL_WVARCHAR"},
    {SQL_WLONGVARCHAR, "SQL_WLONGVARCHAR"},
    {SQL_BINARY, "SQL_BINARY"},
    {SQL_VARBINARY, "SQL_VARBINARY"},
    {SQL_LONGVARBINARY, "SQL_LONGVARBINARY"},
    {SQL_BIT, "SQL_BIT"},
    {SQL_TINYINT, "SQL_TINYINT"},
    {SQL_SMALLINT, "SQL_SMALLINT"},
    {SQL_INTEGER, "SQL_INTEGER"},
    {SQL_BIGINT, "SQL_BIGINT"},
    {SQL_REAL, "SQL_REAL"},
    {SQL_FLOAT, "SQL_FLOAT"},
    {SQL_DOUBLE, "SQL_DOUBLE"},
    {SQL_NUMERIC, "SQL_NUMERIC"},
    {SQL_DECIMAL, "SQL_DECIMAL"},
    {SQL_DATE, "SQL_DATE"},
    {SQL_TIME, "SQL_TIME"},
    {SQL_TIMESTAMP, "SQL_TIMESTAMP"},
    {SQL_TYPE_DATE, "SQL_TYPE_DATE"},
    {SQL_TYPE_TIME, "SQL_TYPE_TIME"},
    {SQL_TYPE_TIMESTAMP, "SQL_TYPE_TIMESTAMP"},
    {SQL_GUID, "SQL_GUID"},
};

template <size_t N>
std::string Named(const TypeName (&names)[N], int16_t code) {
  std::string number = std::to_string(code);
  for (const TypeName& t : names) {
    if (t.code == code) return std::string(t.name) + " (" + number + ")";
  }
  return number;
}

// The narrow SQL type of a wide one, else null.
const char* NarrowSqlType(int16_t sql_type) {
  switch (sql_type) {
    case SQL_WCHAR:
      return "SQL_CHAR";
    case SQL_WVARCHAR:
      return "SQL_VARCHAR";
    case SQL_WLONGVARCHAR:
      return "SQL_LONGVARCHAR";
    default:
      return nullptr;
  }
}

// What to bind instead of wide text: only what is wide needs changing.
std::string WideAdvice(int16_t c_type, int16_t sql_type) {
  const char* narrow = NarrowSqlType(sql_type);
  if (c_type == SQL_C_WCHAR && narrow != nullptr)
    return std::string("; bind text as SQL_C_CHAR with the SQL type ") + narrow;
  if (c_type == SQL_C_WCHAR) return "; bind text as SQL_C_CHAR";
  if (narrow != nullptr) return std::string("; bind text with the SQL type ") + narrow;
  return "";
}

}  // namespace

std::string BindingRefusalText(uint32_t number, int16_t c_type, int16_t sql_type) {
  char words[512];
  std::string text;
  // The catalogue's text begins with the SQLSTATE.
  if (DrvMessageText(number, words, sizeof words) == 1 && std::char_traits<char>::length(words) > 5)
    text = words + 5;
  text += " (C type " + Named(kCTypes, c_type) + ", SQL type " + Named(kSqlTypes, sql_type);
  return text + WideAdvice(c_type, sql_type) + ")";
}

SQLRETURN RefuseBindingTypes(DrvStmt* statement, uint32_t number, int16_t c_type,
                             int16_t sql_type) {
  PostStmtError(statement, number, 0, BindingRefusalText(number, c_type, sql_type).c_str());
  return SQL_ERROR;
}
