// Rows through the driver manager: bound columns and SQLGetData in every C
// type against a velsrv on loopback serving SQLite, with array fetch off
// and on, long values in pieces, NULLs, truncation and the refusals.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "testing/counting_text.h"
#include "testing/odbc_harness.h"

namespace {

testing_odbc::OdbcHarness* g_harness = nullptr;

// A value no driver writes: an indicator that kept it was not written.
constexpr SQLLEN kUntouched = 0x5A5A5A5A5A5A5A5A;

SQLCHAR* Text(const std::string& text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

// SQLite text of the same value.
std::string CountingSql(int steps) {
  return "(with recursive c(x) as (select 1 union all select x + 1 from c where x < " +
         std::to_string(steps) + ") select group_concat(printf('%04d', x % 10000), '') from c)";
}

std::string Hex(unsigned char byte) {
  char two[3];
  std::snprintf(two, sizeof two, "%02X", byte);
  return two;
}

// Array fetch off, on, and on with 1 KiB blocks (many blocks per result,
// compressed once the server has statistics).
const char* const kModes[] = {"ArrayFetchOn=0", "ArrayFetchOn=1",
                              "ArrayFetchOn=1;ArrayBufferSize=1"};

class Odbc {
 public:
  explicit Odbc(const std::string& mode) {
    static int n = 0;
    std::string dsn = "VelFetch" + std::to_string(++n);
    std::vector<std::string> extra;
    size_t at = 0;
    while (at <= mode.size()) {
      size_t end = mode.find(';', at);
      if (end == std::string::npos) end = mode.size();
      if (end > at) extra.push_back(mode.substr(at, end - at));
      at = end + 1;
    }
    g_harness->AddDsn(dsn, extra);
    EXPECT_EQ(SQLAllocEnv(&henv), SQL_SUCCESS);
    EXPECT_EQ(SQLAllocConnect(henv, &hdbc), SQL_SUCCESS);
    EXPECT_TRUE(SQL_SUCCEEDED(SQLConnect(hdbc, Text(dsn), SQL_NTS, nullptr, 0, nullptr, 0)))
        << State();
    EXPECT_EQ(SQLAllocStmt(hdbc, &hstmt), SQL_SUCCESS);
  }
  ~Odbc() {
    SQLFreeStmt(hstmt, SQL_DROP);
    SQLDisconnect(hdbc);
    SQLFreeConnect(hdbc);
    SQLFreeEnv(henv);
  }
  SQLRETURN Run(const std::string& sql) {
    SQLFreeStmt(hstmt, SQL_CLOSE);
    SQLFreeStmt(hstmt, SQL_UNBIND);
    return SQLExecDirect(hstmt, Text(sql), SQL_NTS);
  }
  // The first SQLSTATE waiting, "" when none.
  std::string State() {
    SQLCHAR state[6] = {};
    SQLCHAR text[512];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (SQLError(henv, hdbc, hstmt, state, &native, text, sizeof text, &length) != SQL_SUCCESS)
      return "";
    return reinterpret_cast<char*>(state);
  }

  SQLHENV henv = SQL_NULL_HENV;
  SQLHDBC hdbc = SQL_NULL_HDBC;
  SQLHSTMT hstmt = SQL_NULL_HSTMT;
};

class DriverFetchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing_odbc::HarnessPaths paths{VELSRV_PATH, VEL_DRIVER_PATH, VEL_SQLITE_ODBC_DRIVER,
                                     VEL_ASAN_RUNTIME};
    g_harness = new testing_odbc::OdbcHarness(paths, "VelFetch");
    g_harness->ExportToThisProcess();
    if (!g_harness->ok()) return;
    Odbc db("ArrayFetchOn=0");
    const char* const setup[] = {
        "drop table if exists vals",
        "create table vals(id integer, i integer, si smallint, ti tinyint, bt bit, r real, "
        "d double, n numeric(10,2), big bigint, s varchar(100), b blob, digits varchar(10))",
        "insert into vals values(1, 42, -7, 5, 1, 2.5, -1.25, 12.34, 9000000000, 'hello', "
        "x'0102FF', '123')",
        "insert into vals values(2, null, null, null, null, null, null, null, null, '', null, "
        "null)",
        "drop table if exists longs",
        "create table longs(id integer, txt text, b longvarbinary)",
    };
    for (const char* sql : setup) ASSERT_EQ(db.Run(sql), SQL_SUCCESS) << sql << db.State();
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes += Hex(static_cast<unsigned char>(i * 7 % 251));
    std::string fill = "insert into longs values(1, " + CountingSql(10000) + ", x'" + bytes + "')";
    ASSERT_EQ(db.Run(fill), SQL_SUCCESS) << db.State();
  }
  static void TearDownTestSuite() {
    delete g_harness;
    g_harness = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(g_harness->ok()) << g_harness->error(); }
};

// The value in the buffer, as text, for the C type it was asked in.
std::string Shown(SQLSMALLINT c_type, const unsigned char* buffer, SQLLEN length) {
  char text[64];
  auto as = [&](auto value) {
    std::memcpy(&value, buffer, sizeof value);
    return value;
  };
  switch (c_type) {
    case SQL_C_CHAR:
      return reinterpret_cast<const char*>(buffer);
    case SQL_C_SLONG:
    case SQL_C_LONG:
      return std::to_string(as(int32_t{}));
    case SQL_C_ULONG:
      return std::to_string(as(uint32_t{}));
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
      return std::to_string(as(int16_t{}));
    case SQL_C_USHORT:
      return std::to_string(as(uint16_t{}));
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
      return std::to_string(as(int8_t{}));
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
      return std::to_string(as(uint8_t{}));
    case SQL_C_FLOAT:
      std::snprintf(text, sizeof text, "%g", as(float{}));
      return text;
    case SQL_C_DOUBLE:
      std::snprintf(text, sizeof text, "%g", as(double{}));
      return text;
    case SQL_C_SBIGINT:
      return std::to_string(as(int64_t{}));
    default: {  // binary: hex of the bytes the length says
      std::string hex;
      for (SQLLEN i = 0; i < length && i < 32; ++i) {
        std::snprintf(text, sizeof text, "%02X", buffer[i]);
        hex += text;
      }
      return hex;
    }
  }
}

struct ValueCase {
  const char* column;
  SQLSMALLINT c_type;
  SQLLEN buffer_length;
  SQLRETURN result;
  const char* state;  // "" when none
  const char* shown;  // the value, for a result that delivers one
  SQLLEN length;
};

const ValueCase kValueCases[] = {
    {"i", SQL_C_CHAR, 32, SQL_SUCCESS, "", "42", 2},
    {"i", SQL_C_SLONG, 4, SQL_SUCCESS, "", "42", 4},
    {"i", SQL_C_SSHORT, 0, SQL_SUCCESS, "", "42", 2},
    {"i", SQL_C_UTINYINT, 0, SQL_SUCCESS, "", "42", 1},
    {"i", SQL_C_DOUBLE, 0, SQL_SUCCESS, "", "42", 8},
    {"i", SQL_C_DEFAULT, 4, SQL_SUCCESS, "", "", 4},
    {"i", SQL_C_BIT, 0, SQL_ERROR, "22003", nullptr, 0},
    {"i", SQL_C_BINARY, 4, SQL_SUCCESS, "", "2A000000", 4},
    // A binary buffer smaller than the value's own form is refused, never
    // overrun.
    {"i", SQL_C_BINARY, 2, SQL_ERROR, "22003", nullptr, 0},
    {"i", SQL_C_CHAR, 2, SQL_ERROR, "22003", nullptr, 0},
    {"si", SQL_C_SLONG, 0, SQL_SUCCESS, "", "-7", 4},
    {"si", SQL_C_CHAR, 8, SQL_SUCCESS, "", "-7", 2},
    {"si", SQL_C_ULONG, 0, SQL_ERROR, "22003", nullptr, 0},
    {"si", SQL_C_USHORT, 0, SQL_ERROR, "22003", nullptr, 0},
    {"ti", SQL_C_STINYINT, 0, SQL_SUCCESS, "", "5", 1},
    {"ti", SQL_C_TINYINT, 0, SQL_SUCCESS, "", "5", 1},
    {"bt", SQL_C_BIT, 0, SQL_SUCCESS, "", "1", 1},
    {"bt", SQL_C_CHAR, 8, SQL_SUCCESS, "", "1", 1},
    {"r", SQL_C_FLOAT, 0, SQL_SUCCESS, "", "2.5", 4},
    {"r", SQL_C_CHAR, 16, SQL_SUCCESS, "", "2.5", 3},
    {"d", SQL_C_DOUBLE, 0, SQL_SUCCESS, "", "-1.25", 8},
    {"d", SQL_C_SHORT, 0, SQL_SUCCESS_WITH_INFO, "01004", "-1", 2},
    {"n", SQL_C_CHAR, 16, SQL_SUCCESS, "", "12.34", 5},
    {"n", SQL_C_DOUBLE, 0, SQL_SUCCESS, "", "12.34", 8},
    {"big", SQL_C_CHAR, 32, SQL_SUCCESS, "", "9000000000", 10},
    {"big", SQL_C_SBIGINT, 0, SQL_SUCCESS, "", "9000000000", 8},
    {"big", SQL_C_DOUBLE, 0, SQL_SUCCESS, "", "9e+09", 8},
    {"big", SQL_C_SLONG, 0, SQL_ERROR, "22003", nullptr, 0},
    {"s", SQL_C_CHAR, 16, SQL_SUCCESS, "", "hello", 5},
    {"s", SQL_C_CHAR, 4, SQL_SUCCESS_WITH_INFO, "01004", "hel", 5},
    {"s", SQL_C_SLONG, 0, SQL_ERROR, "22005", nullptr, 0},
    {"digits", SQL_C_SLONG, 0, SQL_SUCCESS, "", "123", 4},
    {"digits", SQL_C_DOUBLE, 0, SQL_SUCCESS, "", "123", 8},
    {"b", SQL_C_BINARY, 16, SQL_SUCCESS, "", "0102FF", 3},
    {"b", SQL_C_BINARY, 2, SQL_SUCCESS_WITH_INFO, "01004", "0102", 3},
    {"b", SQL_C_CHAR, 16, SQL_SUCCESS, "", "0102FF", 6},
    {"b", SQL_C_SLONG, 0, SQL_ERROR, "07006", nullptr, 0},
};

// Each case both as a bound column and through SQLGetData, in every mode.
TEST_F(DriverFetchTest, ValuesArriveInEveryCType) {
  for (const char* mode : kModes) {
    Odbc db(mode);
    for (bool bound : {true, false}) {
      for (const ValueCase& c : kValueCases) {
        SCOPED_TRACE(std::string(mode) + (bound ? " bound " : " get data ") + c.column + " as " +
                     std::to_string(c.c_type) + " in " + std::to_string(c.buffer_length));
        ASSERT_EQ(db.Run(std::string("select ") + c.column + " from vals where id = 1"),
                  SQL_SUCCESS)
            << db.State();
        unsigned char buffer[64];
        std::memset(buffer, 0, sizeof buffer);
        SQLLEN length = kUntouched;
        SQLRETURN r;
        if (bound) {
          ASSERT_EQ(SQLBindCol(db.hstmt, 1, c.c_type, buffer, c.buffer_length, &length),
                    SQL_SUCCESS);
          r = SQLFetch(db.hstmt);
        } else {
          ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS) << db.State();
          r = SQLGetData(db.hstmt, 1, c.c_type, buffer, c.buffer_length, &length);
        }
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(db.State(), c.state);
        if (c.shown == nullptr) continue;
        EXPECT_EQ(length, c.length);
        if (c.shown[0] != '\0') {
          EXPECT_EQ(Shown(c.c_type, buffer, std::min<SQLLEN>(length, c.buffer_length)), c.shown);
        }
      }
    }
  }
}

TEST_F(DriverFetchTest, NullsAndEmptyTextsInBoundColumnsAndGetData) {
  const char* const columns[] = {"i", "si", "r", "d", "n", "big", "b", "s"};
  for (const char* mode : kModes) {
    SCOPED_TRACE(mode);
    Odbc db(mode);
    // Bound: the indicator is written whole, so NULL reads as -1.
    ASSERT_EQ(db.Run("select i, d, b, s from vals where id = 2"), SQL_SUCCESS);
    SQLINTEGER number = 7;
    double real = 7;
    unsigned char bytes[8];
    char text[8] = "x";
    SQLLEN lengths[4] = {kUntouched, kUntouched, kUntouched, kUntouched};
    SQLBindCol(db.hstmt, 1, SQL_C_SLONG, &number, 0, &lengths[0]);
    SQLBindCol(db.hstmt, 2, SQL_C_DOUBLE, &real, 0, &lengths[1]);
    SQLBindCol(db.hstmt, 3, SQL_C_BINARY, bytes, sizeof bytes, &lengths[2]);
    SQLBindCol(db.hstmt, 4, SQL_C_CHAR, text, sizeof text, &lengths[3]);
    ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS) << db.State();
    EXPECT_EQ(lengths[0], SQL_NULL_DATA);
    EXPECT_EQ(lengths[1], SQL_NULL_DATA);
    EXPECT_EQ(lengths[2], SQL_NULL_DATA);
    EXPECT_EQ(lengths[3], 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(SQLFetch(db.hstmt), SQL_NO_DATA_FOUND);

    // Through SQLGetData: an empty text for a NULL, then no more data.
    for (const char* column : columns) {
      SCOPED_TRACE(column);
      ASSERT_EQ(db.Run(std::string("select ") + column + " from vals where id = 2"), SQL_SUCCESS);
      ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
      char value[8] = "x";
      SQLLEN length = kUntouched;
      EXPECT_EQ(SQLGetData(db.hstmt, 1, SQL_C_CHAR, value, sizeof value, &length), SQL_SUCCESS);
      EXPECT_STREQ(value, "");
      EXPECT_EQ(length, std::string(column) == "s" ? 0 : SQL_NULL_DATA);
      EXPECT_EQ(SQLGetData(db.hstmt, 1, SQL_C_CHAR, value, sizeof value, &length),
                SQL_NO_DATA_FOUND);
    }
  }
}

// Reads column 1 of the current row in pieces of `size` bytes: the text
// gathered, the lengths and results of every call.
struct Pieces {
  std::string text;
  std::vector<SQLLEN> lengths;
  std::vector<SQLRETURN> results;
};

Pieces ReadPieces(Odbc& db, SQLSMALLINT c_type, SQLLEN size, SQLUSMALLINT column = 1) {
  Pieces p;
  std::vector<char> buffer(static_cast<size_t>(size));
  for (int call = 0; call < 1000; ++call) {
    SQLLEN length = kUntouched;
    SQLRETURN r = SQLGetData(db.hstmt, column, c_type, buffer.data(), size, &length);
    p.results.push_back(r);
    if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO) break;
    p.lengths.push_back(length);
    SQLLEN got = length == SQL_NO_TOTAL || length >= size ? (c_type == SQL_C_CHAR ? size - 1 : size)
                                                          : length;
    if (c_type == SQL_C_CHAR) {
      // Every piece of text ends in its NUL.
      EXPECT_EQ(buffer[static_cast<size_t>(got)], '\0') << call;
    }
    p.text.append(buffer.data(), static_cast<size_t>(got));
    if (r == SQL_SUCCESS_WITH_INFO) {
      EXPECT_EQ(db.State(), "01004") << call;
    }
  }
  return p;
}

TEST_F(DriverFetchTest, LongValuesComeInPiecesWithTheirOffsetsKept) {
  const std::string text100 = CountingText(25);
  const std::string text40k = CountingText(10000);
  std::string bytes3k;
  for (int i = 0; i < 3000; ++i) bytes3k += static_cast<char>(i * 7 % 251);
  std::string hex3k;
  for (unsigned char c : bytes3k) hex3k += Hex(c);
  const std::string blob_sql = "select b from longs";

  for (const char* mode : kModes) {
    SCOPED_TRACE(mode);
    Odbc db(mode);
    // 100 characters into 40 bytes: 39, 39, 22, then nothing.
    ASSERT_EQ(db.Run("select cast(" + CountingSql(25) + " as varchar(100))"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
    Pieces p = ReadPieces(db, SQL_C_CHAR, 40);
    EXPECT_EQ(p.text, text100);
    EXPECT_EQ(p.lengths, (std::vector<SQLLEN>{100, 61, 22}));
    EXPECT_EQ(p.results, (std::vector<SQLRETURN>{SQL_SUCCESS_WITH_INFO, SQL_SUCCESS_WITH_INFO,
                                                 SQL_SUCCESS, SQL_NO_DATA_FOUND}));

    // A long text in small pieces and in one large buffer (filled in passes).
    for (SQLLEN size : {SQLLEN{1000}, SQLLEN{70000}}) {
      ASSERT_EQ(db.Run("select txt from longs"), SQL_SUCCESS) << db.State();
      ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
      Pieces long_text = ReadPieces(db, SQL_C_CHAR, size);
      EXPECT_EQ(long_text.text.size(), text40k.size()) << size;
      EXPECT_TRUE(long_text.text == text40k) << size;
      EXPECT_EQ(long_text.results.back(), SQL_NO_DATA_FOUND);
    }

    // Bound, a long text fills the buffer and says how long it is.
    ASSERT_EQ(db.Run("select txt from longs"), SQL_SUCCESS);
    char head[100];
    SQLLEN head_length = kUntouched;
    ASSERT_EQ(SQLBindCol(db.hstmt, 1, SQL_C_CHAR, head, sizeof head, &head_length), SQL_SUCCESS);
    EXPECT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(db.State(), "01004");
    EXPECT_EQ(head_length, 40000);
    EXPECT_EQ(std::string(head), text40k.substr(0, 99));

    // Binary in pieces, as bytes and as hex text.
    ASSERT_EQ(db.Run(blob_sql), SQL_SUCCESS) << db.State();
    ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
    EXPECT_TRUE(ReadPieces(db, SQL_C_BINARY, 1000).text == bytes3k);
    ASSERT_EQ(db.Run(blob_sql), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
    // A long binary value asked for as text is converted where it is read,
    // by the server's data source, which writes it as a literal.
    Pieces hex = ReadPieces(db, SQL_C_CHAR, 1001);
    EXPECT_TRUE(hex.text == "X'" + hex3k + "'");
    EXPECT_EQ(hex.lengths.size(), 7u);
  }
}

// SQLite keeps values longer than their declared size. They arrive whole:
// read in pieces, into a bound buffer that holds them, or cut by a smaller
// one with 01004 and their whole length. The rows mix lengths that one
// column block cannot carry together, and values longer than any column
// block carries.
TEST_F(DriverFetchTest, ValuesLongerThanTheirColumnArriveWhole) {
  auto bytes = [](int n) {
    std::string b;
    for (int i = 0; i < n; ++i) b += static_cast<char>(i * 7 % 251);
    return b;
  };
  auto hex = [](const std::string& b) {
    std::string h;
    for (unsigned char c : b) h += Hex(c);
    return h;
  };
  const struct {
    int text_steps;  // 4 characters each
    int blob_bytes;  // -1: null
  } kRows[] = {{25, 5}, {0, 4}, {10000, 3000}, {40000, 120000}, {2, -1}, {25, 5}};
  std::vector<std::string> texts;
  std::vector<std::string> blobs;
  {
    Odbc db("ArrayFetchOn=0");
    ASSERT_EQ(db.Run("drop table if exists overlong"), SQL_SUCCESS);
    ASSERT_EQ(db.Run("create table overlong(id integer, v varchar(10), b varbinary(4))"),
              SQL_SUCCESS);
    for (size_t i = 0; i < std::size(kRows); ++i) {
      // A column that its values fill exactly: "0123456789".
      texts.push_back(kRows[i].text_steps == 0 ? "0123456789" : CountingText(kRows[i].text_steps));
      blobs.push_back(kRows[i].blob_bytes < 0 ? "" : bytes(kRows[i].blob_bytes));
      std::string text_sql =
          kRows[i].text_steps == 0 ? "'0123456789'" : CountingSql(kRows[i].text_steps);
      std::string blob_sql = kRows[i].blob_bytes < 0 ? "null" : "x'" + hex(blobs.back()) + "'";
      ASSERT_EQ(db.Run("insert into overlong values(" + std::to_string(i) + ", " + text_sql + ", " +
                       blob_sql + ")"),
                SQL_SUCCESS)
          << db.State();
    }
  }
  const std::string sql = "select v, b from overlong order by id";
  for (const char* mode : kModes) {
    for (bool prepared : {false, true}) {
      SCOPED_TRACE(std::string(mode) + (prepared ? ", prepared" : ", direct"));
      Odbc db(mode);
      auto execute = [&] {
        SQLFreeStmt(db.hstmt, SQL_CLOSE);
        SQLFreeStmt(db.hstmt, SQL_UNBIND);
        if (!prepared) return SQLExecDirect(db.hstmt, Text(sql), SQL_NTS);
        SQLRETURN r = SQLPrepare(db.hstmt, Text(sql), SQL_NTS);
        return r == SQL_SUCCESS ? SQLExecute(db.hstmt) : r;
      };

      // In pieces, as an application that reads on after 01004 does.
      ASSERT_EQ(execute(), SQL_SUCCESS) << db.State();
      for (size_t i = 0; i < std::size(kRows); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS) << db.State();
        Pieces text = ReadPieces(db, SQL_C_CHAR, 4096, 1);
        EXPECT_EQ(text.lengths.front(), static_cast<SQLLEN>(texts[i].size()));
        EXPECT_TRUE(text.text == texts[i]) << text.text.size();
        if (kRows[i].blob_bytes < 0) {
          char none[8];
          SQLLEN length = kUntouched;
          EXPECT_EQ(SQLGetData(db.hstmt, 2, SQL_C_BINARY, none, sizeof none, &length), SQL_SUCCESS);
          EXPECT_EQ(length, SQL_NULL_DATA);
          continue;
        }
        Pieces blob = ReadPieces(db, SQL_C_BINARY, 4096, 2);
        EXPECT_EQ(blob.lengths.front(), static_cast<SQLLEN>(blobs[i].size()));
        EXPECT_TRUE(blob.text == blobs[i]) << blob.text.size();
      }
      EXPECT_EQ(SQLFetch(db.hstmt), SQL_NO_DATA_FOUND);

      // Bound buffers that hold every value, then ones that hold none whole.
      for (SQLLEN room : {SQLLEN{200000}, SQLLEN{8}}) {
        SCOPED_TRACE(room);
        ASSERT_EQ(execute(), SQL_SUCCESS) << db.State();
        std::vector<char> text(static_cast<size_t>(room));
        std::vector<char> blob(static_cast<size_t>(room));
        SQLLEN text_length = kUntouched;
        SQLLEN blob_length = kUntouched;
        ASSERT_EQ(SQLBindCol(db.hstmt, 1, SQL_C_CHAR, text.data(), room, &text_length),
                  SQL_SUCCESS);
        ASSERT_EQ(SQLBindCol(db.hstmt, 2, SQL_C_BINARY, blob.data(), room, &blob_length),
                  SQL_SUCCESS);
        for (size_t i = 0; i < std::size(kRows); ++i) {
          SCOPED_TRACE(i);
          bool cut = texts[i].size() >= static_cast<size_t>(room) ||
                     blobs[i].size() > static_cast<size_t>(room);
          ASSERT_EQ(SQLFetch(db.hstmt), cut ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS) << db.State();
          if (cut) {
            EXPECT_EQ(db.State(), "01004");
          }
          EXPECT_EQ(text_length, static_cast<SQLLEN>(texts[i].size()));
          EXPECT_TRUE(std::string(text.data()) ==
                      texts[i].substr(0, static_cast<size_t>(room) - 1));
          if (kRows[i].blob_bytes < 0) {
            EXPECT_EQ(blob_length, SQL_NULL_DATA);
            continue;
          }
          EXPECT_EQ(blob_length, static_cast<SQLLEN>(blobs[i].size()));
          size_t held = std::min(blobs[i].size(), static_cast<size_t>(room));
          EXPECT_TRUE(std::string(blob.data(), held) == blobs[i].substr(0, held));
        }
        EXPECT_EQ(SQLFetch(db.hstmt), SQL_NO_DATA_FOUND);
      }
    }
  }
}

TEST_F(DriverFetchTest, AnotherColumnOrRowStartsAValueAfresh) {
  Odbc db("ArrayFetchOn=1");
  ASSERT_EQ(db.Run("select s, i from vals order by id"), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
  char text[4];
  SQLLEN length = 0;
  EXPECT_EQ(SQLGetData(db.hstmt, 1, SQL_C_CHAR, text, sizeof text, &length), SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(text, "hel");
  SQLINTEGER number = 0;
  EXPECT_EQ(SQLGetData(db.hstmt, 2, SQL_C_SLONG, &number, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(number, 42);
  // Back on the first column: from its start.
  EXPECT_EQ(SQLGetData(db.hstmt, 1, SQL_C_CHAR, text, sizeof text, &length), SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(text, "hel");
  EXPECT_EQ(length, 5);
  // The next row's value is read from its start too.
  ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
  EXPECT_EQ(SQLGetData(db.hstmt, 1, SQL_C_CHAR, text, sizeof text, &length), SQL_SUCCESS);
  EXPECT_EQ(length, 0);
}

// Every row the server sends arrives once, in order, whatever the road.
TEST_F(DriverFetchTest, EveryRowArrivesExactlyOnce) {
  const std::string sql =
      "with recursive c(x) as (select 1 union all select x + 1 from c where x < 3000) "
      "select x, printf('row %05d of a repeated text', x), x * 0.5 from c";
  for (const char* mode : kModes) {
    SCOPED_TRACE(mode);
    Odbc db(mode);
    ASSERT_EQ(db.Run(sql), SQL_SUCCESS) << db.State();
    SQLINTEGER x = 0;
    char text[64];
    double half = 0;
    SQLLEN lengths[3];
    SQLBindCol(db.hstmt, 1, SQL_C_SLONG, &x, 0, &lengths[0]);
    SQLBindCol(db.hstmt, 2, SQL_C_CHAR, text, sizeof text, &lengths[1]);
    SQLBindCol(db.hstmt, 3, SQL_C_DOUBLE, &half, 0, &lengths[2]);
    int expected = 0;
    SQLRETURN r;
    while ((r = SQLFetch(db.hstmt)) == SQL_SUCCESS) {
      ++expected;
      ASSERT_EQ(x, expected);
      char want[64];
      std::snprintf(want, sizeof want, "row %05d of a repeated text", expected);
      ASSERT_STREQ(text, want);
      ASSERT_EQ(half, expected * 0.5);
    }
    EXPECT_EQ(r, SQL_NO_DATA_FOUND) << db.State();
    EXPECT_EQ(expected, 3000);
    EXPECT_EQ(SQLFetch(db.hstmt), SQL_NO_DATA_FOUND);
  }
}

TEST_F(DriverFetchTest, RefusalsLeaveTheRowReadable) {
  Odbc db("ArrayFetchOn=1");
  char text[16];
  SQLLEN length = 0;

  // A binding beyond the result columns refuses the fetch; unbound again
  // (null buffer), it no longer counts.
  ASSERT_EQ(db.Run("select s, i from vals where id = 1"), SQL_SUCCESS);
  ASSERT_EQ(SQLBindCol(db.hstmt, 3, SQL_C_CHAR, text, sizeof text, &length), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(db.hstmt), SQL_ERROR);
  EXPECT_EQ(db.State(), "S1002");
  ASSERT_EQ(SQLBindCol(db.hstmt, 3, SQL_C_CHAR, nullptr, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(SQLBindCol(db.hstmt, 1, SQL_C_CHAR, text, sizeof text, &length), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS) << db.State();
  EXPECT_STREQ(text, "hello");

  // SQLGetData refuses bound columns and numbers outside the result.
  for (SQLUSMALLINT column : {1, 0, 3}) {
    EXPECT_EQ(SQLGetData(db.hstmt, column, SQL_C_CHAR, text, sizeof text, &length), SQL_ERROR);
    EXPECT_EQ(db.State(), "S1002") << column;
  }
  SQLINTEGER number = 0;
  EXPECT_EQ(SQLGetData(db.hstmt, 2, SQL_C_SLONG, &number, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(number, 42);

  // A conversion failing in one bound column fails the fetch.
  ASSERT_EQ(db.Run("select s, i from vals where id = 1"), SQL_SUCCESS);
  ASSERT_EQ(SQLBindCol(db.hstmt, 1, SQL_C_SLONG, &number, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(db.hstmt), SQL_ERROR);
  EXPECT_EQ(db.State(), "22005");
}

// The data source may describe an expression one way when it is prepared
// and another once it ran; the rows come in the form the driver was told.
TEST_F(DriverFetchTest, PreparedStatementsDeliverTheDescribedForm) {
  for (const char* mode : kModes) {
    SCOPED_TRACE(mode);
    Odbc db(mode);
    SQLFreeStmt(db.hstmt, SQL_CLOSE);
    ASSERT_EQ(
        SQLPrepare(db.hstmt, Text("select 1 + 1, 2.5, 'abc', i from vals order by id"), SQL_NTS),
        SQL_SUCCESS);
    for (int run = 0; run < 2; ++run) {
      ASSERT_EQ(SQLExecute(db.hstmt), SQL_SUCCESS) << db.State();
      std::vector<std::string> row;
      ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS) << db.State();
      for (SQLUSMALLINT column = 1; column <= 4; ++column) {
        char text[32] = "?";
        SQLLEN length = 0;
        EXPECT_EQ(SQLGetData(db.hstmt, column, SQL_C_CHAR, text, sizeof text, &length),
                  SQL_SUCCESS);
        row.push_back(text);
      }
      EXPECT_EQ(row, (std::vector<std::string>{"2", "2.5", "abc", "42"}));
      EXPECT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
      EXPECT_EQ(SQLFetch(db.hstmt), SQL_NO_DATA_FOUND);
      SQLFreeStmt(db.hstmt, SQL_CLOSE);
    }
  }
}

}  // namespace
