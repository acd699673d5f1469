#include "driver/odbc/statement/stmt_text.h"

#include <strings.h>

#include <cctype>
#include <cstring>

#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/statement/text_helpers.h"

uint32_t CountMarkers(const char* text) {
  uint32_t count = 0;
  for (const char* p = FindWordOutsideQuotes(text, "?"); p != nullptr;
       p = FindWordOutsideQuotes(p + 1, "?")) {
    ++count;
  }
  return count;
}

uint32_t CountParamMarkers(const char* text) {
  return CountMarkers(text);
}

SQLRETURN AnalyzeStmtText(DrvStmt* statement, const char* text) {
  if (text == nullptr) text = "";
  while (*text != '\0' && std::isspace(static_cast<unsigned char>(*text))) ++text;
  statement->marker_count = CountMarkers(text);
  if (*text == '\0') {
    statement->result_class = 0;
    statement->result_kind = 0;
    statement->fetch_status = 2;
    statement->row_count = 0;
    if (statement->row_counter != nullptr) *statement->row_counter = 0;
    return SQL_SUCCESS;
  }
  if (strncasecmp(text, "SELECT", 6) == 0) {
    statement->result_class = kResultRows;
    statement->result_kind = 1;
  } else {
    statement->result_class = kResultNone;
    statement->result_kind = 0;
  }
  return SQL_SUCCESS;
}
