#include "server/type_table.h"

#include <gtest/gtest.h>

#include <cstring>

#include "server/backend_limits.h"

namespace velsrv {
namespace {

LnaTypeInfo Row(const char* name, int16_t type, int32_t precision) {
  LnaTypeInfo t{};
  std::strncpy(t.type_name, name, sizeof t.type_name - 1);
  t.sql_type = type;
  t.precision = precision;
  return t;
}

// The rows the SQLite ODBC driver gives, in its order.
std::vector<LnaTypeInfo> SqliteRows() {
  return {Row("bit", -7, 1),
          Row("tinyint", -6, 3),
          Row("bigint", -5, 19),
          Row("longvarbinary", -4, 65536),
          Row("varbinary", -3, 255),
          Row("text", -1, 65536),
          Row("longvarchar", -1, 65536),
          Row("char", 1, 255),
          Row("integer", 4, 9),
          Row("smallint", 5, 5),
          Row("float", 6, 7),
          Row("double", 8, 15),
          Row("numeric", 8, 15),
          Row("date", 9, 10),
          Row("time", 10, 8),
          Row("timestamp", 11, 32),
          Row("varchar", 12, 255)};
}

TEST(TypeTableTest, BuildKeepsOdbc2CodesGroupedInTheBackendsOrder) {
  TypeTable t;
  t.Build({Row("stamp", 93, 26), Row("nvarchar", -9, 4000), Row("guid", -11, 36),
           Row("varchar", 12, 255), Row("int", 4, 10), Row("variant", -150, 8000),
           Row("date", 91, 10)});
  std::vector<std::pair<std::string, int16_t>> got;
  for (const LnaTypeInfo& r : t.rows()) got.emplace_back(r.type_name, r.sql_type);
  std::vector<std::pair<std::string, int16_t>> expected = {
      {"int", 4}, {"date", 9}, {"stamp", 11}, {"nvarchar", 12}, {"varchar", 12}};
  EXPECT_EQ(got, expected);
}

TEST(TypeTableTest, EveryReportedTypeMapsToOneTheClientHolds) {
  TypeTable t;
  t.Build(SqliteRows());
  struct Case {
    int16_t reported;
    int32_t precision;
    int16_t announced;
    int32_t announced_precision;
  } cases[] = {
      {-2, 255, -3, 255},                 // BLOB columns: SQL_BINARY, missing from the list
      {12, 10, 12, 10},                   // present: unchanged
      {2, 10, 8, 10},                     // NUMERIC: no numeric or decimal, a double
      {3, 10, 8, 10},      {7, 7, 6, 7},  // REAL: the float of the list
      {93, 40, 11, 32},                   // within the widest timestamp
      {11, 20, 11, 20},    {92, 8, 10, 8},   {-8, 10, 1, 10},  // wide characters: the narrow kin
      {-10, 100, -1, 100}, {-150, 8, 12, 8},                   // no ODBC 2 code: text
      {-11, 36, 12, 36},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reported);
    int32_t precision = c.precision;
    EXPECT_EQ(t.Map(c.reported, &precision), c.announced);
    EXPECT_EQ(precision, c.announced_precision);
    EXPECT_TRUE(t.Has(c.announced));
  }
}

TEST(TypeTableTest, ATableWithoutAFamilyFallsBackToText) {
  TypeTable t;
  t.Build({Row("int", 4, 10)});
  struct Case {
    int16_t reported;
    int16_t announced;
  } cases[] = {{-4, 12}, {11, 12}, {9, 12}, {8, 12}, {-5, 12}, {5, 5}, {1, 1}, {-7, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reported);
    int32_t precision = 10;
    EXPECT_EQ(t.Map(c.reported, &precision), c.announced);
  }
}

// A parameter takes what the database takes, not the nominal size its
// driver describes it with (PHP binds with the described size, and the
// client refuses a longer value); a database of unknown limits keeps its
// driver's sizes.
TEST(TypeTableTest, ParametersOfADatabaseOfKnownLimitsTakeItsLimit) {
  struct Case {
    const char* dbms;
    int16_t announced;
    int32_t described;
    int32_t want;
  } cases[] = {
      {"SQLite", -1, 65536, 1000000000},     {"SQLite", 12, 255, 1000000000},
      {"SQLite", -4, 65536, 1000000000},     {"SQLite", 4, 9, 9},
      {"PostgreSQL", -1, 8190, 1073741823},  {"PostgreSQL", 12, 255, 10485760},
      {"PostgreSQL", 1, 20, 10485760},       {"PostgreSQL", 11, 26, 26},
      {"SomeOtherDatabase", -1, 8190, 8190}, {"SomeOtherDatabase", 12, 20, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dbms) + " " + std::to_string(c.announced));
    std::vector<LnaTypeInfo> rows = SqliteRows();
    for (LnaTypeInfo& r : rows) r.precision = r.sql_type == -1 ? 8190 : r.precision;
    TypeTable t;
    bool known = ApplyBackendLimits(c.dbms, &rows);
    EXPECT_EQ(known, std::string(c.dbms) != "SomeOtherDatabase");
    t.Build(rows);
    t.set_rows_state_limits(known);
    EXPECT_EQ(t.ParamSize(c.announced, c.described), c.want);
  }
}

}  // namespace
}  // namespace velsrv
