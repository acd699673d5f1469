// Result-set description: building the columns from the server's records
// and the answers of SQLNumResultCols, SQLDescribeCol and SQLColAttributes.
#include "driver/odbc/fetch/result_set.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>

#include "driver/odbc/core/server_types.h"
#include "driver/odbc/fetch/catalog_columns.h"
#include "driver/odbc/fetch/column_desc.h"
#include "driver/odbc/fetch/table_type_rows.h"
#include "testing/stmt_test_support.h"
#include "wire/column_desc.h"

namespace {

char* Name(const char* text) {
  return const_cast<char*>(text);
}

LnaColumnDesc Record(const char* name, int16_t sql_type, int32_t precision, int16_t scale,
                     int32_t attributes = 0, uint16_t nullable = 1) {
  LnaColumnDesc r{};
  std::snprintf(r.name, sizeof r.name, "%s", name);
  r.sql_type = sql_type;
  r.precision = precision;
  r.scale = scale;
  r.length = precision;
  r.display_size = precision + 2;
  r.attributes = attributes;
  r.nullable = nullable;
  return r;
}

class ResultSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DrvConn* c = fixture_.conn();
    c->type_descs = types_;
    c->type_count = c->server_type_count = sizeof types_ / sizeof types_[0];
  }

  // Describes `records` as the statement's result, as an execution would.
  void Describe(const std::vector<LnaColumnDesc>& records) {
    DrvStmt* s = fixture_.stmt();
    ASSERT_EQ(DrvBuildResultSet(s, records.data(), static_cast<uint32_t>(records.size())),
              SQL_SUCCESS);
    s->result_class = kResultRows;
    s->result_kind = 1;
    s->state = kStmtResultOpen;
  }

  SQLLEN Attribute(SQLUSMALLINT column, SQLUSMALLINT type) {
    SQLLEN value = static_cast<SQLLEN>(0x5A5A5A5A5A5A5A5A);
    EXPECT_EQ(SQLColAttributesImpl(fixture_.stmt(), column, type, nullptr, 0, nullptr, &value),
              SQL_SUCCESS)
        << "attribute " << type;
    return value;
  }

  std::string TextAttribute(SQLUSMALLINT column, SQLUSMALLINT type) {
    char text[300] = {};
    SQLSMALLINT length = -1;
    EXPECT_EQ(
        SQLColAttributesImpl(fixture_.stmt(), column, type, text, sizeof text, &length, nullptr),
        SQL_SUCCESS)
        << "attribute " << type;
    EXPECT_EQ(length, static_cast<SQLSMALLINT>(std::strlen(text)));
    return text;
  }

  StmtFixture fixture_;
  // Every type a server's table may hold; two timestamps of different
  // precision, as PostgreSQL's table has.
  TypeDescriptor types_[20] = {
      {SQL_CHAR, Name("char"), nullptr, nullptr, nullptr, 0, 255, 0, 255, nullptr, 0},
      {SQL_VARCHAR, Name("varchar"), nullptr, nullptr, nullptr, 0, 255, 0, 255, nullptr, 0},
      {SQL_LONGVARCHAR, Name("text"), nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, 0},
      {SQL_INTEGER, Name("int4"), nullptr, nullptr, nullptr, 0, 10, 0, 10, nullptr, 0},
      {SQL_SMALLINT, Name("int2"), nullptr, nullptr, nullptr, 0, 5, 0, 5, nullptr, 0},
      {SQL_BIGINT, Name("int8"), nullptr, nullptr, nullptr, 0, 19, 0, 19, nullptr, 0},
      {SQL_TINYINT, Name("tinyint"), nullptr, nullptr, nullptr, 0, 3, 0, 3, nullptr, 0},
      {SQL_BIT, Name("bool"), nullptr, nullptr, nullptr, 0, 1, 0, 1, nullptr, 0},
      {SQL_NUMERIC, Name("numeric"), nullptr, nullptr, nullptr, 0, 28, 6, 28, nullptr, 0},
      {SQL_DECIMAL, Name("decimal"), nullptr, nullptr, nullptr, 0, 28, 6, 28, nullptr, 0},
      {SQL_FLOAT, Name("float"), nullptr, nullptr, nullptr, 0, 15, 0, 15, nullptr, 0},
      {SQL_REAL, Name("float4"), nullptr, nullptr, nullptr, 0, 7, 0, 7, nullptr, 0},
      {SQL_DOUBLE, Name("float8"), nullptr, nullptr, nullptr, 0, 15, 0, 15, nullptr, 0},
      {SQL_DATE, Name("date"), nullptr, nullptr, nullptr, 0, 10, 0, 10, nullptr, 0},
      {SQL_TIME, Name("time"), nullptr, nullptr, nullptr, 0, 8, 0, 8, nullptr, 0},
      {SQL_TIMESTAMP, Name("smalldatetime"), nullptr, nullptr, nullptr, 0, 16, 0, 16, nullptr, 0},
      {SQL_TIMESTAMP, Name("timestamp"), nullptr, nullptr, nullptr, 0, 26, 6, 26, nullptr, 0},
      {SQL_BINARY, Name("binary"), nullptr, nullptr, nullptr, 0, 255, 0, 255, nullptr, 0},
      {SQL_VARBINARY, Name("varbinary"), nullptr, nullptr, nullptr, 0, 255, 0, 255, nullptr, 0},
      {SQL_LONGVARBINARY, Name("bytea"), nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, 0},
  };
};

TEST_F(ResultSetTest, DescribesColumnsOfEveryType) {
  struct Case {
    int16_t type;
    int32_t precision;
    int16_t scale;
    const char* type_name;
  };
  const Case cases[] = {
      {SQL_CHAR, 10, 0, "char"},
      {SQL_VARCHAR, 80, 0, "varchar"},
      {SQL_LONGVARCHAR, 65535, 0, "text"},
      {SQL_INTEGER, 10, 0, "int4"},
      {SQL_SMALLINT, 5, 0, "int2"},
      {SQL_BIGINT, 19, 0, "int8"},
      {SQL_TINYINT, 3, 0, "tinyint"},
      {SQL_BIT, 1, 0, "bool"},
      {SQL_NUMERIC, 12, 2, "numeric"},
      {SQL_DECIMAL, 9, 4, "decimal"},
      {SQL_FLOAT, 15, 0, "float"},
      {SQL_REAL, 7, 0, "float4"},
      {SQL_DOUBLE, 15, 0, "float8"},
      {SQL_DATE, 10, 0, "date"},
      {SQL_TIME, 8, 0, "time"},
      {SQL_TIMESTAMP, 16, 0, "smalldatetime"},
      {SQL_TIMESTAMP, 26, 6, "timestamp"},
      {SQL_BINARY, 16, 0, "binary"},
      {SQL_VARBINARY, 100, 0, "varbinary"},
      {SQL_LONGVARBINARY, 1000000, 0, "bytea"},
      // A timestamp more precise than any the server lists still has the
      // first timestamp type.
      {SQL_TIMESTAMP, 29, 9, "smalldatetime"},
  };
  std::vector<LnaColumnDesc> records;
  for (const Case& c : cases) {
    records.push_back(Record(("col_" + std::to_string(records.size())).c_str(), c.type, c.precision,
                             c.scale, 0, records.size() % 2));
  }
  Describe(records);
  SQLSMALLINT count = -1;
  EXPECT_EQ(SQLNumResultColsImpl(fixture_.stmt(), &count), SQL_SUCCESS);
  ASSERT_EQ(count, static_cast<SQLSMALLINT>(records.size()));
  for (SQLUSMALLINT i = 1; i <= records.size(); ++i) {
    const Case& c = cases[i - 1];
    char name[80] = {};
    SQLSMALLINT name_length = -1, type = -1, scale = -1, nullable = -1;
    SQLULEN size = ~SQLULEN{0};
    ASSERT_EQ(SQLDescribeColImpl(fixture_.stmt(), i, reinterpret_cast<SQLCHAR*>(name), sizeof name,
                                 &name_length, &type, &size, &scale, &nullable),
              SQL_SUCCESS);
    EXPECT_STREQ(name, records[i - 1].name);
    EXPECT_EQ(name_length, static_cast<SQLSMALLINT>(std::strlen(name)));
    EXPECT_EQ(type, c.type) << i;
    EXPECT_EQ(size, static_cast<SQLULEN>(c.precision)) << i;  // the whole word is written
    EXPECT_EQ(scale, c.scale) << i;
    EXPECT_EQ(nullable, (i - 1) % 2 ? SQL_NULLABLE : SQL_NO_NULLS) << i;
    EXPECT_EQ(TextAttribute(i, SQL_COLUMN_TYPE_NAME), c.type_name) << i;
  }
}

TEST_F(ResultSetTest, TextsAtTheirFieldLimitsComeBackWhole) {
  LnaColumnDesc r = Record("", SQL_VARCHAR, 10, 0);
  std::memset(r.name, 'n', sizeof r.name - 1);
  std::memset(r.label, 'l', sizeof r.label - 1);
  std::memset(r.table, 't', sizeof r.table - 1);
  std::memset(r.owner, 'o', sizeof r.owner - 1);
  std::memset(r.qualifier, 'q', sizeof r.qualifier - 1);
  LnaColumnDesc unterminated = r;  // a record without its NULs is cut, not overrun
  std::memset(unterminated.name, 'x', sizeof unterminated.name);
  Describe({r, unterminated});
  EXPECT_EQ(TextAttribute(1, SQL_COLUMN_NAME), std::string(64, 'n'));
  EXPECT_EQ(TextAttribute(1, SQL_COLUMN_LABEL), std::string(64, 'l'));
  EXPECT_EQ(TextAttribute(1, SQL_COLUMN_TABLE_NAME), std::string(33, 't'));
  EXPECT_EQ(TextAttribute(1, SQL_COLUMN_OWNER_NAME), std::string(33, 'o'));
  EXPECT_EQ(TextAttribute(1, SQL_COLUMN_QUALIFIER_NAME), std::string(255, 'q'));
  EXPECT_EQ(TextAttribute(2, SQL_COLUMN_NAME), std::string(65, 'x'));
}

TEST_F(ResultSetTest, ColAttributesAnswersEveryAttribute) {
  LnaColumnDesc money = Record("amount", SQL_DECIMAL, 12, 2,
                               kColSigned | kColMoney | kColUpdatable | kColAutoIncrement |
                                   kColCaseSensitive | kColSearchMask);
  std::snprintf(money.label, sizeof money.label, "Amount");
  std::snprintf(money.table, sizeof money.table, "orders");
  std::snprintf(money.owner, sizeof money.owner, "sales");
  std::snprintf(money.qualifier, sizeof money.qualifier, "db");
  money.length = 14;
  money.display_size = 15;
  LnaColumnDesc when = Record("when", SQL_TIMESTAMP, 26, kNoScale, kColSearchBasic, 0);
  LnaColumnDesc day = Record("day", SQL_DATE, 10, 0, kColSearchLike);
  LnaColumnDesc at = Record("at", SQL_TIME, 8, 0);
  Describe({money, when, day, at});

  struct Case {
    SQLUSMALLINT column;
    SQLUSMALLINT attribute;
    SQLLEN want;
  };
  const Case numbers[] = {
      {1, SQL_COLUMN_COUNT, 4},
      {0, SQL_COLUMN_COUNT, 4},  // the count needs no column
      {1, SQL_COLUMN_TYPE, SQL_DECIMAL},
      {1, SQL_COLUMN_LENGTH, 14},
      {2, SQL_COLUMN_LENGTH, 16},
      {3, SQL_COLUMN_LENGTH, 6},
      {4, SQL_COLUMN_LENGTH, 6},
      {1, SQL_COLUMN_PRECISION, 12},
      {1, SQL_COLUMN_SCALE, 2},
      {2, SQL_COLUMN_SCALE, 0},  // no scale
      {1, SQL_COLUMN_DISPLAY_SIZE, 15},
      {1, SQL_COLUMN_NULLABLE, SQL_NULLABLE},
      {2, SQL_COLUMN_NULLABLE, SQL_NO_NULLS},
      {1, SQL_COLUMN_UNSIGNED, 0},
      {2, SQL_COLUMN_UNSIGNED, 1},
      {1, SQL_COLUMN_MONEY, 1},
      {2, SQL_COLUMN_MONEY, 0},
      {1, SQL_COLUMN_UPDATABLE, 1},
      {2, SQL_COLUMN_UPDATABLE, 0},
      {1, SQL_COLUMN_AUTO_INCREMENT, 1},
      {2, SQL_COLUMN_AUTO_INCREMENT, 0},
      {1, SQL_COLUMN_CASE_SENSITIVE, 1},
      {2, SQL_COLUMN_CASE_SENSITIVE, 0},
      {1, SQL_COLUMN_SEARCHABLE, SQL_SEARCHABLE},
      {2, SQL_COLUMN_SEARCHABLE, SQL_ALL_EXCEPT_LIKE},
      {3, SQL_COLUMN_SEARCHABLE, SQL_LIKE_ONLY},
      {4, SQL_COLUMN_SEARCHABLE, SQL_UNSEARCHABLE},
  };
  for (const Case& c : numbers)
    EXPECT_EQ(Attribute(c.column, c.attribute), c.want) << c.column << "/" << c.attribute;

  struct TextCase {
    SQLUSMALLINT column;
    SQLUSMALLINT attribute;
    const char* want;
  };
  const TextCase texts[] = {
      {1, SQL_COLUMN_NAME, "amount"},       {1, SQL_COLUMN_TYPE_NAME, "decimal"},
      {1, SQL_COLUMN_TABLE_NAME, "orders"}, {1, SQL_COLUMN_OWNER_NAME, "sales"},
      {1, SQL_COLUMN_QUALIFIER_NAME, "db"}, {1, SQL_COLUMN_LABEL, "Amount"},
      {2, SQL_COLUMN_LABEL, "when"},  // no label: the name
      {2, SQL_COLUMN_TABLE_NAME, ""},
  };
  for (const TextCase& c : texts)
    EXPECT_EQ(TextAttribute(c.column, c.attribute), c.want) << c.column << "/" << c.attribute;
}

TEST_F(ResultSetTest, ColAttributesRefusals) {
  DrvStmt* s = fixture_.stmt();
  SQLLEN value = 0;
  EXPECT_EQ(SQLColAttributesImpl(s, 1, SQL_COLUMN_TYPE, nullptr, 0, nullptr, &value), SQL_ERROR);
  EXPECT_EQ(fixture_.States(), std::vector<std::string>{"24000"});

  Describe({Record("a", SQL_INTEGER, 10, 0)});
  struct Case {
    SQLUSMALLINT column;
    SQLUSMALLINT attribute;
    bool with_value;
    SQLRETURN want;
    const char* state;  // empty: nothing posted
  };
  const Case cases[] = {
      {0, SQL_COLUMN_TYPE, true, SQL_ERROR, "S1002"},
      {0, SQL_COLUMN_NAME, true, SQL_ERROR, "S1002"},
      {2, SQL_COLUMN_TYPE, true, SQL_ERROR, "S1002"},
      {1, 19, true, SQL_ERROR, "S1C00"},
      {1, SQL_COLUMN_SCALE, false, SQL_SUCCESS, ""},
      {7, SQL_COLUMN_SCALE, false, SQL_SUCCESS, ""},  // nothing to write: nothing checked
  };
  for (const Case& c : cases) {
    SQLRETURN rc = SQLColAttributesImpl(s, c.column, c.attribute, nullptr, 0, nullptr,
                                        c.with_value ? &value : nullptr);
    EXPECT_EQ(rc, c.want) << c.column << "/" << c.attribute;
    std::vector<std::string> want;
    if (c.state[0] != '\0') want.push_back(c.state);
    EXPECT_EQ(fixture_.States(), want) << c.column << "/" << c.attribute;
  }
  char small[4] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLColAttributesImpl(s, 1, SQL_COLUMN_TYPE_NAME, small, sizeof small, &length, nullptr),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(small, "int");
  EXPECT_EQ(length, 4);
  EXPECT_EQ(fixture_.States(), std::vector<std::string>{"01004"});
}

TEST_F(ResultSetTest, DescribeColRefusalsAndTruncation) {
  DrvStmt* s = fixture_.stmt();
  SQLSMALLINT type = 0;
  struct Case {
    uint16_t state;
    bool described;
    SQLUSMALLINT column;
    const char* sqlstate;
  };
  const Case cases[] = {
      {kStmtAllocated, false, 1, "S1010"}, {kStmtPrepared, false, 1, "24000"},
      {kStmtExecuted, false, 1, "24000"},  {kStmtResultOpen, true, 0, "S1002"},
      {kStmtResultOpen, true, 2, "S1002"},
  };
  for (const Case& c : cases) {
    if (c.described) Describe({Record("CUSTOMER_ID", SQL_INTEGER, 10, 0)});
    s->state = c.state;
    EXPECT_EQ(
        SQLDescribeColImpl(s, c.column, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr),
        SQL_ERROR);
    EXPECT_EQ(fixture_.States(), std::vector<std::string>{c.sqlstate}) << c.state;
  }
  char name[5] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLDescribeColImpl(s, 1, reinterpret_cast<SQLCHAR*>(name), sizeof name, &length,
                               nullptr, nullptr, nullptr, nullptr),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(name, "CUST");
  EXPECT_EQ(length, 11);
  EXPECT_EQ(fixture_.States(), std::vector<std::string>{"01004"});
}

TEST_F(ResultSetTest, UnknownServerTypeFailsWithADiagnosticNamingIt) {
  Describe({Record("a", SQL_INTEGER, 10, 0)});
  DrvStmt* s = fixture_.stmt();
  LnaColumnDesc odd = Record("geom", -151, 10, 0);
  EXPECT_EQ(DrvBuildResultSet(s, &odd, 1), SQL_ERROR);
  std::vector<std::string> messages = fixture_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].substr(0, 5), "S1000");
  EXPECT_NE(messages[0].find("-151"), std::string::npos) << messages[0];
  EXPECT_NE(messages[0].find("geom"), std::string::npos) << messages[0];
  EXPECT_EQ(s->columns, nullptr);
  EXPECT_EQ(s->result_pool, 0);
  SQLSMALLINT count = -1;
  SQLNumResultColsImpl(s, &count);
  EXPECT_EQ(count, 0);
}

// The server's own descriptions of a catalog result serve only the fetch:
// what the application is told comes from the fixed tables.
TEST_F(ResultSetTest, CatalogResultsAreDescribedByTheirFixedColumns) {
  DrvStmt* s = fixture_.stmt();
  // More columns than the fixed table, all described as wide texts.
  std::vector<LnaColumnDesc> records;
  for (int i = 0; i < 14; ++i) records.push_back(Record("server_name", SQL_VARCHAR, 999, 0));
  Describe(records);
  s->result_kind = kKindColumns;
  SQLSMALLINT count = 0;
  EXPECT_EQ(SQLNumResultColsImpl(s, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 12);

  struct DescribeCase {
    SQLUSMALLINT column;
    const char* name;
    SQLSMALLINT type;
    SQLULEN size;
    SQLSMALLINT nullable;
  };
  const DescribeCase described[] = {
      {1, "TABLE_QUALIFIER", SQL_VARCHAR, 128, SQL_NULLABLE},
      {3, "TABLE_NAME", SQL_VARCHAR, 128, SQL_NO_NULLS},
      {5, "DATA_TYPE", SQL_SMALLINT, 5, SQL_NO_NULLS},
      {7, "PRECISION", SQL_INTEGER, 10, SQL_NULLABLE},
      {12, "REMARKS", SQL_VARCHAR, 254, SQL_NULLABLE},
  };
  for (const DescribeCase& d : described) {
    char name[64] = {};
    SQLSMALLINT length = 0, type = 0, scale = -1, nullable = -1;
    SQLULEN size = 0;
    ASSERT_EQ(SQLDescribeColImpl(s, d.column, reinterpret_cast<SQLCHAR*>(name), sizeof name,
                                 &length, &type, &size, &scale, &nullable),
              SQL_SUCCESS)
        << d.column;
    EXPECT_STREQ(name, d.name);
    EXPECT_EQ(length, static_cast<SQLSMALLINT>(std::strlen(d.name)));
    EXPECT_EQ(type, d.type) << d.name;
    EXPECT_EQ(size, d.size) << d.name;
    EXPECT_EQ(scale, 0) << d.name;
    EXPECT_EQ(nullable, d.nullable) << d.name;
  }
  // The server's extra columns are not the application's.
  SQLSMALLINT type = 0;
  EXPECT_EQ(SQLDescribeColImpl(s, 13, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr),
            SQL_ERROR);
  EXPECT_EQ(fixture_.States(), std::vector<std::string>{"S1002"});

  types_[3].local_type_name = Name("INTEGER");
  struct NumberCase {
    SQLUSMALLINT column;
    SQLUSMALLINT attribute;
    SQLLEN want;
  };
  const NumberCase numbers[] = {
      {1, SQL_COLUMN_COUNT, 12},
      {7, SQL_COLUMN_TYPE, SQL_INTEGER},
      {7, SQL_COLUMN_LENGTH, 4},
      {7, SQL_COLUMN_PRECISION, 10},
      {7, SQL_COLUMN_DISPLAY_SIZE, 11},
      {7, SQL_COLUMN_UNSIGNED, 0},
      {7, SQL_COLUMN_SEARCHABLE, SQL_ALL_EXCEPT_LIKE},
      {7, SQL_COLUMN_CASE_SENSITIVE, 0},
      {7, SQL_COLUMN_NULLABLE, 1},
      {5, SQL_COLUMN_PRECISION, 5},
      {5, SQL_COLUMN_DISPLAY_SIZE, 6},
      {4, SQL_COLUMN_LENGTH, 128},
      {4, SQL_COLUMN_DISPLAY_SIZE, 128},
      {4, SQL_COLUMN_NULLABLE, 0},
      {4, SQL_COLUMN_UNSIGNED, 1},
      {4, SQL_COLUMN_CASE_SENSITIVE, 1},
      {4, SQL_COLUMN_SEARCHABLE, SQL_SEARCHABLE},
      {4, SQL_COLUMN_SCALE, 0},
      {4, SQL_COLUMN_MONEY, 0},
      {4, SQL_COLUMN_UPDATABLE, 0},
      {4, SQL_COLUMN_AUTO_INCREMENT, 0},
  };
  for (const NumberCase& n : numbers)
    EXPECT_EQ(Attribute(n.column, n.attribute), n.want) << n.column << "/" << n.attribute;
  struct TextCase {
    SQLUSMALLINT column;
    SQLUSMALLINT attribute;
    const char* want;
  };
  const TextCase texts[] = {
      {4, SQL_COLUMN_NAME, "COLUMN_NAME"},  {4, SQL_COLUMN_LABEL, "COLUMN_NAME"},
      {7, SQL_COLUMN_TYPE_NAME, "INTEGER"}, {4, SQL_COLUMN_TABLE_NAME, ""},
      {4, SQL_COLUMN_OWNER_NAME, ""},       {4, SQL_COLUMN_QUALIFIER_NAME, ""},
  };
  for (const TextCase& t : texts)
    EXPECT_EQ(TextAttribute(t.column, t.attribute), t.want) << t.column << "/" << t.attribute;

  // Fewer columns from the server than the table: only those are there.
  Describe({Record("a", SQL_VARCHAR, 10, 0), Record("b", SQL_VARCHAR, 10, 0)});
  s->result_kind = kKindPrimaryKeys;
  EXPECT_EQ(SQLNumResultColsImpl(s, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(SQLColAttributesImpl(s, 3, SQL_COLUMN_NAME, nullptr, 0, nullptr, nullptr), SQL_ERROR);
  EXPECT_EQ(fixture_.States(), std::vector<std::string>{"S1002"});
}

// The lists the driver serves itself have column records without names.
TEST_F(ResultSetTest, LocalListsAreDescribedByName) {
  DrvStmt* s = fixture_.stmt();
  ASSERT_EQ(BuildTableTypeRows(s), SQL_SUCCESS);
  s->result_class = kResultRows;
  s->result_kind = kKindTableTypeList;
  s->state = kStmtResultOpen;
  char name[64] = {};
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLSMALLINT count = 0;
  EXPECT_EQ(SQLNumResultColsImpl(s, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 5);
  ASSERT_EQ(SQLDescribeColImpl(s, 4, reinterpret_cast<SQLCHAR*>(name), sizeof name, nullptr, &type,
                               &size, nullptr, nullptr),
            SQL_SUCCESS);
  EXPECT_STREQ(name, "TABLE_TYPE");
  EXPECT_EQ(type, SQL_VARCHAR);
  EXPECT_EQ(size, 128u);
  EXPECT_EQ(TextAttribute(5, SQL_COLUMN_LABEL), "REMARKS");
}

TEST_F(ResultSetTest, AttributeTextsAreCutWithAWarning) {
  struct Case {
    bool buffer;
    const char* text;
    SQLSMALLINT size;
    SQLRETURN result;
    std::string value;
    SQLSMALLINT length;
    std::vector<std::string> states;
  };
  const Case cases[] = {
      {true, "TABLE_NAME", 4, SQL_SUCCESS_WITH_INFO, "TAB", 10, {"01004"}},
      {false, "TABLE_NAME", 4, SQL_SUCCESS, "", 10, {}},
      {true, "TABLE_NAME", 11, SQL_SUCCESS, "TABLE_NAME", 10, {}},
      {true, nullptr, 4, SQL_SUCCESS, "", 0, {}},
  };
  for (const Case& c : cases) {
    char buffer[32] = {};
    SQLSMALLINT length = -1;
    EXPECT_EQ(
        CopyOutAttrString(fixture_.stmt(), c.text, c.buffer ? buffer : nullptr, c.size, &length),
        c.result);
    EXPECT_EQ(buffer, c.value);
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(fixture_.States(), c.states);
  }
}

}  // namespace
