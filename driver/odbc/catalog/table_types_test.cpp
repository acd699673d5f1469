// Table-type lists: the mask a list stands for.
#include "driver/odbc/catalog/table_types.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <string>

#include "testing/stmt_test_support.h"

namespace {

class TableTypesTest : public ::testing::Test, public StmtFixture {
 protected:
  void SetUp() override {
    Login({}, {TableType("TABLE", 1), TableType("VIEW", 2), TableType("SYSTEM TABLE", 4)});
  }
};

TEST_F(TableTypesTest, ListsBecomeMasks) {
  struct Case {
    const char* list;
    int32_t result;
    uint32_t mask;
  };
  const Case cases[] = {
      {nullptr, 0, 0},
      {"TABLE", 0, 1},
      {"'TABLE', view", 0, 3},
      {"TABLE,SYNONYM", 0, 1},
      {" \t'SYSTEM TABLE' ,\tVIEW\t ", 0, 6},
      {"table,TABLE", 0, 1},
      {"'''VIEW'''", 0, 2},  // every quote at both ends goes
      {"'VIEW", -1, 0},      // a quote at one end only stays
      {"VIEW'", -1, 0},
      {"SYNONYM", -1, 0},
      {"", -1, 0},
      {" \t \t", -1, 0},
      {",,,", -1, 0},
      {"'',''", -1, 0},
      {"'', VIEW", 0, 2},
  };
  for (const Case& c : cases) {
    uint32_t mask = 0xDEAD;
    EXPECT_EQ(ParseTableTypes(conn(), c.list, &mask), c.result) << (c.list ? c.list : "null");
    if (c.result == 0) {
      EXPECT_EQ(mask, c.mask) << (c.list ? c.list : "null");
    }
  }
}

TEST_F(TableTypesTest, TheApplicationsListIsLeftAsItWas) {
  char list[] = "  'VIEW' , TABLE  ";
  const std::string before = list;
  uint32_t mask = 0;
  EXPECT_EQ(ParseTableTypes(conn(), list, &mask), 0);
  EXPECT_EQ(mask, 3u);
  EXPECT_EQ(list, before);
}

TEST_F(TableTypesTest, LookupIgnoresCaseAndTakesTheFirst) {
  uint32_t bit = 0;
  EXPECT_EQ(LookupTableType(conn(), "system table", &bit), 0);
  EXPECT_EQ(bit, 4u);
  EXPECT_EQ(LookupTableType(conn(), "SYSTEM", &bit), -1);
}

}  // namespace
