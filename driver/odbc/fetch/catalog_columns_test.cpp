// The fixed column descriptions of the catalog result sets and the server
// type names of their columns.
#include "driver/odbc/fetch/catalog_columns.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>
#include <vector>

#include "testing/stmt_test_support.h"

namespace {

TEST(CatalogColumnsTest, EveryCatalogKindHasItsTable) {
  struct Case {
    uint16_t kind;
    uint32_t count;
    std::string first;
    std::string last;
  };
  const Case cases[] = {
      {kKindTables, 5, "TABLE_QUALIFIER", "REMARKS"},
      {kKindQualifierList, 5, "TABLE_QUALIFIER", "REMARKS"},
      {kKindOwnerList, 5, "TABLE_QUALIFIER", "REMARKS"},
      {kKindTableTypeList, 5, "TABLE_QUALIFIER", "REMARKS"},
      {kKindColumns, 12, "TABLE_QUALIFIER", "REMARKS"},
      {kKindStatistics, 13, "TABLE_QUALIFIER", "FILTER_CONDITION"},
      {kKindPrimaryKeys, 6, "TABLE_QUALIFIER", "PK_NAME"},
      {kKindTypeInfo, 15, "TYPE_NAME", "MAXIMUM_SCALE"},
      {kKindSpecialColumns, 8, "SCOPE", "PSEUDO_COLUMN"},
      {kKindProcedures, 8, "PROCEDURE_QUALIFIER", "PROCEDURE_TYPE"},
      {kKindProcedureColumns, 13, "PROCEDURE_QUALIFIER", "REMARKS"},
      {kKindForeignKeys, 13, "PKTABLE_QUALIFIER", "PK_NAME"},
      {kKindTablePrivileges, 7, "TABLE_QUALIFIER", "IS_GRANTABLE"},
      {kKindColumnPrivileges, 8, "TABLE_QUALIFIER", "IS_GRANTABLE"},
  };
  for (const Case& c : cases) {
    uint32_t count = 0;
    const CatalogColumnInfo* table = CatalogColumnTable(c.kind, &count);
    ASSERT_NE(table, nullptr) << c.kind;
    EXPECT_EQ(count, c.count) << c.kind;
    EXPECT_EQ(table[0].name, c.first) << c.kind;
    EXPECT_EQ(table[count - 1].name, c.last) << c.kind;
  }
  // The four lists of SQLTables share one table.
  uint32_t count = 0;
  EXPECT_EQ(CatalogColumnTable(kKindTables, &count),
            CatalogColumnTable(kKindTableTypeList, &count));
}

TEST(CatalogColumnsTest, OtherKindsHaveNone) {
  for (uint16_t kind : {0, 1, 16, 0xFFFF}) {
    uint32_t count = 77;
    EXPECT_EQ(CatalogColumnTable(kind, &count), nullptr) << kind;
    EXPECT_EQ(count, 77u) << kind;
  }
}

TEST(CatalogColumnsTest, ColumnsAreDescribedAsApplicationsReadThem) {
  struct Case {
    uint16_t kind;
    uint32_t column;  // from 1
    std::string name;
    int32_t sql_type;
    uint32_t size;
    uint32_t nullable;
  };
  const Case cases[] = {
      {kKindTables, 3, "TABLE_NAME", SQL_VARCHAR, 128, 1},
      {kKindTables, 5, "REMARKS", SQL_VARCHAR, 254, 1},
      {kKindColumns, 3, "TABLE_NAME", SQL_VARCHAR, 128, 0},
      {kKindColumns, 5, "DATA_TYPE", SQL_SMALLINT, 2, 0},
      {kKindColumns, 7, "PRECISION", SQL_INTEGER, 4, 1},
      {kKindColumns, 11, "NULLABLE", SQL_SMALLINT, 2, 0},
      {kKindStatistics, 7, "TYPE", SQL_SMALLINT, 2, 0},
      {kKindStatistics, 10, "COLLATION", SQL_CHAR, 1, 1},
      {kKindStatistics, 11, "CARDINALITY", SQL_INTEGER, 4, 1},
      {kKindPrimaryKeys, 5, "KEY_SEQ", SQL_SMALLINT, 2, 0},
      {kKindTypeInfo, 2, "DATA_TYPE", SQL_SMALLINT, 2, 0},
      {kKindTypeInfo, 3, "PRECISION", SQL_INTEGER, 4, 1},
      {kKindTypeInfo, 13, "LOCAL_TYPE_NAME", SQL_VARCHAR, 128, 1},
      {kKindTypeInfo, 14, "MINIMUM_SCALE", SQL_INTEGER, 4, 1},
      {kKindSpecialColumns, 1, "SCOPE", SQL_SMALLINT, 2, 1},
      {kKindSpecialColumns, 4, "TYPE_NAME", SQL_VARCHAR, 128, 0},
      {kKindProcedures, 7, "REMARKS", SQL_VARCHAR, 254, 1},
      {kKindProcedureColumns, 5, "COLUMN_TYPE", SQL_SMALLINT, 2, 0},
      {kKindProcedureColumns, 12, "NULLABLE", SQL_SMALLINT, 2, 0},
      {kKindForeignKeys, 4, "PKCOLUMN_NAME", SQL_VARCHAR, 128, 0},
      {kKindForeignKeys, 9, "KEY_SEQ", SQL_SMALLINT, 2, 0},
      {kKindForeignKeys, 11, "DELETE_RULE", SQL_SMALLINT, 2, 1},
      {kKindTablePrivileges, 5, "GRANTEE", SQL_VARCHAR, 128, 0},
      {kKindTablePrivileges, 7, "IS_GRANTABLE", SQL_VARCHAR, 3, 1},
      {kKindColumnPrivileges, 4, "COLUMN_NAME", SQL_VARCHAR, 128, 0},
      {kKindColumnPrivileges, 8, "IS_GRANTABLE", SQL_VARCHAR, 3, 1},
  };
  for (const Case& c : cases) {
    uint32_t count = 0;
    const CatalogColumnInfo& info = CatalogColumnTable(c.kind, &count)[c.column - 1];
    EXPECT_EQ(info.name, c.name) << c.kind << "/" << c.column;
    EXPECT_EQ(info.sql_type, c.sql_type) << c.name;
    EXPECT_EQ(info.size, c.size) << c.name;
    EXPECT_EQ(info.nullable, c.nullable) << c.name;
  }
}

class TypeNameTest : public ::testing::Test, public StmtFixture {
 protected:
  // Two integers, the first one's name wins; a binary type without a local
  // name; no varchar, real or bit.
  void SetUp() override {
    Login({ServerType("char", SQL_CHAR, "char"), ServerType("int", SQL_INTEGER, "int"),
           ServerType("int4", SQL_INTEGER, "int4"), ServerType("int2", SQL_SMALLINT, "int2"),
           ServerType("timestamp", SQL_TIMESTAMP, "ts"),
           ServerType("text", SQL_LONGVARCHAR, "text"), ServerType("bytea", SQL_BINARY, "")},
          {});
  }
};

TEST_F(TypeNameTest, ServerTypeNamesWithTheirStandIns) {
  struct Case {
    int16_t type;
    size_t size;
    std::string name;
  };
  const Case cases[] = {
      {SQL_INTEGER, 64, "int"},   {SQL_SMALLINT, 64, "int2"},
      {SQL_BINARY, 64, ""},  // a type without a local name
      {SQL_VARCHAR, 64, "char"},  {SQL_TIMESTAMP, 3, "ts"},
      {SQL_LONGVARCHAR, 3, "te"},  // cut to the buffer
      {SQL_REAL, 64, "NULL"},      // no stand-ins for other types
      {SQL_BIT, 2, "N"},
  };
  for (const Case& c : cases) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    buffer[63] = '\0';
    ServerTypeName(conn(), buffer, c.size, c.type);
    EXPECT_EQ(buffer, c.name) << c.type;
  }
}

TEST(ServerTypeNameTest, StandInsFollowTheirOrder) {
  struct Case {
    std::vector<int16_t> announced;
    int16_t asked;
    std::string name;
  };
  const Case cases[] = {
      {{SQL_SMALLINT, SQL_TINYINT}, SQL_INTEGER, "t5"},
      {{SQL_DOUBLE, SQL_NUMERIC}, SQL_INTEGER, "t2"},
      {{SQL_LONGVARBINARY}, SQL_INTEGER, "t-4"},
      {{SQL_TINYINT, SQL_INTEGER}, SQL_SMALLINT, "t4"},
      {{SQL_REAL, SQL_FLOAT}, SQL_SMALLINT, "t6"},
      {{SQL_LONGVARCHAR, SQL_BINARY}, SQL_VARCHAR, "t-1"},
      {{SQL_LONGVARBINARY}, SQL_VARCHAR, "t-4"},
      {{SQL_DOUBLE}, SQL_VARCHAR, "NULL"},
      {{}, SQL_INTEGER, "NULL"},
  };
  for (const Case& c : cases) {
    StmtFixture f;
    std::vector<LnaTypeInfo> types;
    std::vector<std::string> names;
    for (int16_t t : c.announced) {
      std::string name = "t" + std::to_string(t);
      types.push_back(ServerType(name.c_str(), t, name.c_str()));
    }
    f.Login(types, {});
    char buffer[32] = {};
    ServerTypeName(f.conn(), buffer, sizeof buffer, c.asked);
    EXPECT_EQ(buffer, c.name) << c.asked;
    EXPECT_EQ(LookupServerTypeName(f.conn(), buffer, sizeof buffer, c.asked), 0) << c.asked;
  }
}

}  // namespace
