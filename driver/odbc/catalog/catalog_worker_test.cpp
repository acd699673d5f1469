// The steps the catalog functions share, tried on a statement without a
// server: entry trace texts, the asynchronous rule, argument copies and
// what an outstanding call leaves when it ends.
#include "driver/odbc/catalog/catalog_worker.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstdint>
#include <string>
#include <vector>

#include "driver/odbc/catalog/catalog_api.h"
#include "driver/odbc/catalog/tables_api.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/trace_arg.h"
#include "driver/odbc/fetch/catalog_columns.h"
#include "testing/stmt_test_support.h"

namespace {

std::string Shown(const SQLCHAR* text, SQLSMALLINT length) {
  TraceArg arg = TracedString(text, length);
  char line[64];
  std::snprintf(line, sizeof line, "\"%.*s\"", arg.precision, arg.text);
  return line;
}

TEST(TraceArgTest, ShowsNoMoreThanTheGivenLength) {
  // Not terminated: only the given length may be read.
  const SQLCHAR unterminated[4] = {'a', 'b', 'c', 'd'};
  const auto* text = reinterpret_cast<const SQLCHAR*>("orders");
  struct Case {
    const SQLCHAR* text;
    SQLSMALLINT length;
    std::string shown;
  };
  const Case cases[] = {
      {unterminated, 4, "\"abcd\""},
      {unterminated, 2, "\"ab\""},
      {text, SQL_NTS, "\"orders\""},
      {text, 3, "\"ord\""},
      {text, 0, "\"\""},
      {nullptr, 5, "\"NULL\""},
      {text, SQL_NULL_DATA, "\"NULL\""},
      {text, -7, "\"\""},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(c.text, c.length), c.shown) << c.length;
}

// The entry line is built from the string arguments in order: it must read
// as the printf of the whole line would, cut at the trace's limit too.
TEST(CatalogEntryTraceTest, ReadsAsTheWholeLinePrinted) {
  const auto* orders = reinterpret_cast<const SQLCHAR*>("orders");
  const SQLCHAR unterminated[3] = {'a', 'b', 'c'};
  void* hstmt = reinterpret_cast<void*>(static_cast<uintptr_t>(0x1234));
  const std::string long_text(2000, 'x');
  const auto* longest = reinterpret_cast<const SQLCHAR*>(long_text.c_str());
  struct Case {
    const char* name;
    std::vector<CatalogString> strings;
    const char* tail;
    std::string line;
  };
  const Case cases[] = {
      {"SQLColumns",
       {{orders, SQL_NTS, 0}, {nullptr, 0, 0}, {orders, 3, 0}, {unterminated, 3, 0}},
       "",
       "SQLColumns(0x00001234, \"orders\", -3, \"NULL\", 0, \"ord\", 3, \"abc\", 3)"},
      {"SQLStatistics",
       {{orders, SQL_NULL_DATA, 0}, {orders, -7, 0}, {orders, 0, 0}},
       ", 1, 0",
       "SQLStatistics(0x00001234, \"NULL\", -1, \"\", -7, \"\", 0, 1, 0)"},
      {"SQLTables",
       {{longest, SQL_NTS, 0}},
       "",
       ("SQLTables(0x00001234, \"" + long_text).substr(0, 1024)},
  };
  for (const Case& c : cases) {
    char text[1025];
    FormatCatalogEntry(text, sizeof text, c.name, hstmt, c.strings.data(),
                       static_cast<uint32_t>(c.strings.size()), c.tail);
    EXPECT_EQ(text, c.line) << c.name;
  }
}

class CatalogWorkerTest : public ::testing::Test, public StmtFixture {
 protected:
  void Async(uint32_t pending_function) {
    stmt()->options.slot[kOptAsyncEnable] = SQL_ASYNC_ENABLE_ON;
    stmt()->pending = pending_function != 0 ? 1 : 0;
    stmt()->pending_function = pending_function;
  }
};

TEST_F(CatalogWorkerTest, AnotherOutstandingFunctionRefusesEveryCatalogFunction) {
  auto* t = reinterpret_cast<SQLCHAR*>(const_cast<char*>("t"));
  struct Case {
    const char* name;
    std::function<SQLRETURN(DrvStmt*)> call;
  };
  const Case cases[] = {
      {"columns", [&](DrvStmt* s) { return SQLColumnsImpl(s, t, 1, t, 1, t, 1, t, 1); }},
      {"column privileges",
       [&](DrvStmt* s) { return SQLColumnPrivilegesImpl(s, t, 1, t, 1, t, 1, t, 1); }},
      {"foreign keys",
       [&](DrvStmt* s) { return SQLForeignKeysImpl(s, t, 1, t, 1, t, 1, t, 1, t, 1, t, 1); }},
      {"primary keys", [&](DrvStmt* s) { return SQLPrimaryKeysImpl(s, t, 1, t, 1, t, 1); }},
      {"procedure columns",
       [&](DrvStmt* s) { return SQLProcedureColumnsImpl(s, t, 1, t, 1, t, 1, t, 1); }},
      {"procedures", [&](DrvStmt* s) { return SQLProceduresImpl(s, t, 1, t, 1, t, 1); }},
      {"special columns",
       [&](DrvStmt* s) { return SQLSpecialColumnsImpl(s, 1, t, 1, t, 1, t, 1, 0, 1); }},
      {"statistics", [&](DrvStmt* s) { return SQLStatisticsImpl(s, t, 1, t, 1, t, 1, 0, 0); }},
      {"table privileges", [&](DrvStmt* s) { return SQLTablePrivilegesImpl(s, t, 1, t, 1, t, 1); }},
      {"tables", [&](DrvStmt* s) { return SQLTablesImpl(s, t, 1, t, 1, t, 1, t, 1); }},
  };
  for (const Case& c : cases) {
    Async(11);  // SQLExecDirect is outstanding
    stmt()->state = kStmtResultOpen;
    stmt()->result_kind = 1;
    EXPECT_EQ(c.call(stmt()), SQL_ERROR) << c.name;
    EXPECT_EQ(States(), std::vector<std::string>{"S1010"}) << c.name;
    EXPECT_EQ(stmt()->pending_function, 11u) << c.name;
    EXPECT_EQ(stmt()->result_kind, 1) << c.name;
  }
}

TEST_F(CatalogWorkerTest, AnOpenResultSetRefuses) {
  stmt()->state = kStmtOnRow;
  stmt()->result_class = kResultRows;
  stmt()->result_kind = 1;
  EXPECT_EQ(SQLColumnsImpl(stmt(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(States(), std::vector<std::string>{"24000"});
  EXPECT_EQ(stmt()->state, kStmtOnRow);
  EXPECT_EQ(stmt()->result_kind, 1);
}

TEST_F(CatalogWorkerTest, BadLengthsAreRefusedBeforeAnythingChanges) {
  auto* t = reinterpret_cast<SQLCHAR*>(const_cast<char*>("orders"));
  const CatalogString strings[] = {
      {t, -5, SQL_MAX_TABLE_NAME_LEN},
  };
  ArgCopy copies[1] = {};
  EXPECT_FALSE(CopyCatalogStrings(stmt(), strings, nullptr, 1, copies));
  EXPECT_EQ(States(), std::vector<std::string>{"S1090"});
  FreeArgCopy(copies, 1);
}

TEST_F(CatalogWorkerTest, NamesAreMeasuredAgainstTheServersMaximum) {
  // Where the login record keeps SQL_MAX_OWNER_NAME_LEN.
  constexpr uint32_t kOwnerMaxSlot = 13;
  const std::string long_name(255, 'n');
  const std::string too_long(256, 'n');
  struct Case {
    const char* what;
    uint16_t owner_max;  // 0: the server gives none
    const char* escape;
    std::string owner;
    bool accepted;
  };
  const Case cases[] = {
      {"no maximum, 255", 0, "", long_name, true},
      {"no maximum, 256", 0, "", too_long, false},
      {"escaped underscore not counted", 3, "\\", "a\\_b", true},
      {"four plain characters", 3, "\\", "abcd", false},
      {"no escape character: all count", 3, "", "a\\_b", false},
  };
  for (const Case& c : cases) {
    conn()->info154.shorts[kOwnerMaxSlot] = c.owner_max;
    std::snprintf(conn()->server_info.search_pattern_escape,
                  sizeof conn()->server_info.search_pattern_escape, "%s", c.escape);
    const CatalogString strings[] = {
        {reinterpret_cast<const SQLCHAR*>(c.owner.c_str()), SQL_NTS, SQL_MAX_OWNER_NAME_LEN},
    };
    ArgCopy copies[1] = {};
    EXPECT_EQ(CopyCatalogStrings(stmt(), strings, nullptr, 1, copies), c.accepted) << c.what;
    EXPECT_EQ(States(), c.accepted ? std::vector<std::string>{} : std::vector<std::string>{"S1090"})
        << c.what;
    if (c.accepted) {
      EXPECT_EQ(copies[0].text, c.owner) << c.what;
    }
    FreeArgCopy(copies, 1);
  }
}

TEST_F(CatalogWorkerTest, OutstandingCallsEndByTheirCode) {
  struct Case {
    const char* what;
    uint32_t pending_before;
    SQLRETURN code;
    uint32_t pending_after;
    uint16_t state;
    uint16_t result_class;
    uint16_t kind;
  };
  const Case cases[] = {
      {"first call still running", 0, SQL_STILL_EXECUTING, 1, kStmtResultOpen, kResultRows,
       kKindOwnerList},
      {"resumed call done", 1, SQL_SUCCESS, 0, kStmtResultOpen, kResultRows, kKindOwnerList},
      // What the first call opened is gone: no result set may be claimed.
      {"resumed call failed", 1, SQL_ERROR, 0, kStmtAllocated, kResultNone, 0},
      {"first call failed", 0, SQL_ERROR, 0, kStmtAllocated, kResultNone, 0},
  };
  for (const Case& c : cases) {
    Async(c.pending_before ? 54 : 0);
    // The state a first call that is still running leaves, or a fresh one.
    stmt()->state = c.pending_before ? kStmtResultOpen : kStmtAllocated;
    stmt()->result_class = c.pending_before ? kResultRows : kResultNone;
    stmt()->result_kind = c.pending_before ? kKindOwnerList : 0;
    SQLRETURN code = CatalogCall(stmt(), 54, [&] { return c.code; });
    OpenCatalogResult(stmt(), kKindOwnerList, code);
    EXPECT_EQ(code, c.code) << c.what;
    EXPECT_EQ(stmt()->pending, c.pending_after) << c.what;
    EXPECT_EQ(stmt()->pending_function, c.pending_after ? 54u : 0u) << c.what;
    EXPECT_EQ(stmt()->state, c.state) << c.what;
    EXPECT_EQ(stmt()->result_class, c.result_class) << c.what;
    EXPECT_EQ(stmt()->result_kind, c.kind) << c.what;
  }
}

TEST_F(CatalogWorkerTest, TheTableTypeListNeedsNoServer) {
  Login({}, {TableType("TABLE", 1), TableType("VIEW", 2)});
  auto* percent = reinterpret_cast<SQLCHAR*>(const_cast<char*>("%"));
  auto* more = reinterpret_cast<SQLCHAR*>(const_cast<char*>("%ABLE"));
  auto* empty = reinterpret_cast<SQLCHAR*>(const_cast<char*>(""));
  struct Case {
    const char* what;
    SQLCHAR* qualifier;
    SQLCHAR* owner;
    SQLCHAR* type;
    SQLSMALLINT type_length;
  };
  const Case cases[] = {
      {"all null", nullptr, nullptr, percent, SQL_NTS},
      {"empty names", empty, empty, percent, 1},
      {"more after the percent sign", nullptr, nullptr, more, SQL_NTS},
  };
  for (const Case& c : cases) {
    Async(0);  // asynchronous, yet answered at once
    stmt()->state = kStmtAllocated;
    stmt()->result_class = kResultNone;
    stmt()->lna = nullptr;  // any server call would fail
    EXPECT_EQ(SQLTablesImpl(stmt(), c.qualifier, SQL_NTS, c.owner, SQL_NTS, nullptr, 0, c.type,
                            c.type_length),
              SQL_SUCCESS)
        << c.what;
    EXPECT_EQ(stmt()->result_kind, kKindTableTypeList) << c.what;
    EXPECT_EQ(stmt()->state, kStmtResultOpen) << c.what;
    EXPECT_EQ(stmt()->result_class, kResultRows) << c.what;
    EXPECT_EQ(stmt()->pending, 0u) << c.what;
    ASSERT_NE(stmt()->columns, nullptr) << c.what;
    DrvResetStmt(stmt());
  }
}

}  // namespace
