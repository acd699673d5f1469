// Reading a statement text before it is sent: markers and the query test.
#include "driver/odbc/statement/stmt_text.h"

#include <gtest/gtest.h>

#include "driver/odbc/core/drv_stmt.h"

namespace {

TEST(StmtTextTest, ClassifiesAndCountsMarkers) {
  struct Case {
    const char* text;
    uint16_t result_class;
    uint16_t kind;
    uint32_t markers;
  };
  const Case cases[] = {
      {"  sElEcT * from t", kResultRows, 1, 0},
      {"\t\n select a from t where b = ?", kResultRows, 1, 1},
      {"SELECTX", kResultRows, 1, 0},  // the first six letters decide
      {"selec", kResultNone, 0, 0},
      {"insert into t values (?, '?', ?)", kResultNone, 0, 2},
      {"update t set a = 'it''s ?' where b = ?", kResultNone, 0, 1},
      {"update t set a = '?''?'", kResultNone, 0, 0},
      {"(select 1)", kResultNone, 0, 0},
      {"   ", 0, 0, 0},
      {"", 0, 0, 0},
  };
  for (const Case& c : cases) {
    DrvStmt s{};
    s.result_class = 77;
    s.result_kind = 77;
    s.row_count = 9;
    EXPECT_EQ(AnalyzeStmtText(&s, c.text), SQL_SUCCESS) << c.text;
    EXPECT_EQ(s.result_class, c.result_class) << c.text;
    EXPECT_EQ(s.result_kind, c.kind) << c.text;
    EXPECT_EQ(s.marker_count, c.markers) << c.text;
    EXPECT_EQ(CountParamMarkers(c.text), c.markers) << c.text;
  }
}

TEST(StmtTextTest, BlankTextHasNoRowsAndTellsTheRowCounter) {
  uint32_t counter = 5;
  DrvStmt s{};
  s.row_count = 9;
  s.row_counter = &counter;
  EXPECT_EQ(AnalyzeStmtText(&s, " \t "), SQL_SUCCESS);
  EXPECT_EQ(s.row_count, 0u);
  EXPECT_EQ(s.fetch_status, 2u);
  EXPECT_EQ(counter, 0u);
  EXPECT_EQ(AnalyzeStmtText(&s, nullptr), SQL_SUCCESS);
  EXPECT_EQ(s.result_class, 0u);
}

}  // namespace
