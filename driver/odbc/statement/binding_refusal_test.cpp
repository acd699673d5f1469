// The refusal of a binding says which types were bound and, for wide text,
// the one thing to change: the C type, the SQL type, or both.
#include "driver/odbc/statement/binding_refusal.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <string>

#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/diag/drv_messages.h"

namespace {

TEST(BindingRefusal, NamesTheTypesAndWhatToBindInstead) {
  ASSERT_EQ(DrvLoadMessages(), 1);
  struct Case {
    int16_t c_type;
    int16_t sql_type;
    const char* text;
  };
  const Case cases[] = {
      // pyodbc's default: both wide.
      {SQL_C_WCHAR, SQL_WVARCHAR,
       "Driver not capable. (C type SQL_C_WCHAR (-8), SQL type SQL_WVARCHAR (-9); bind text as "
       "SQL_C_CHAR with the SQL type SQL_VARCHAR)"},
      // Perl's DBD::ODBC: narrow text, described as wide.
      {SQL_C_CHAR, SQL_WVARCHAR,
       "Driver not capable. (C type SQL_C_CHAR (1), SQL type SQL_WVARCHAR (-9); bind text with "
       "the SQL type SQL_VARCHAR)"},
      {SQL_C_CHAR, SQL_WLONGVARCHAR,
       "Driver not capable. (C type SQL_C_CHAR (1), SQL type SQL_WLONGVARCHAR (-10); bind text "
       "with the SQL type SQL_LONGVARCHAR)"},
      {SQL_C_CHAR, SQL_WCHAR,
       "Driver not capable. (C type SQL_C_CHAR (1), SQL type SQL_WCHAR (-8); bind text with the "
       "SQL type SQL_CHAR)"},
      {SQL_C_WCHAR, SQL_INTEGER,
       "Driver not capable. (C type SQL_C_WCHAR (-8), SQL type SQL_INTEGER (4); bind text as "
       "SQL_C_CHAR)"},
      // Nothing wide: no advice.
      {SQL_C_GUID, SQL_GUID,
       "Driver not capable. (C type SQL_C_GUID (-11), SQL type SQL_GUID (-11))"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BindingRefusalText(kMsgErrDriverIncapable, c.c_type, c.sql_type), c.text);
  DrvReleaseMessages();
}

}  // namespace
