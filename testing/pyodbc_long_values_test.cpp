// Texts longer than the size their column is described with, read by pyodbc
// (with UTF-8 narrow calls) through the driver manager against a velsrv on
// loopback in front of SQLite and of a private PostgreSQL, with array fetch
// on and off: SQLite keeps any text in a varchar(10), PostgreSQL's driver
// describes an unconstrained varchar and a parameter by a nominal maximum.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "testing/odbc_harness.h"
#include "testing/private_postgres.h"

namespace {

using testing_odbc::OdbcHarness;

std::unique_ptr<PrivatePostgres> g_postgres;
std::unique_ptr<OdbcHarness> g_harness;

struct Backend {
  const char* name;
  const char* dsn;       // array fetch on
  const char* rows_dsn;  // array fetch off
  const char* narrow_type;
  const char* repeat;      // a text of n copies of 'x', in this backend's SQL
  const char* expression;  // 400 copies of 'x' as a narrower text
};
const Backend kSqlite{
    "sqlite",      "VelPyLongLite",         "VelPyLongLiteRows",
    "varchar(10)", "printf('%.{n}c', 'x')", "cast(printf('%.400c', 'x') as varchar(10))"};
const Backend kPostgres{"postgres", "VelPyLongPg",      "VelPyLongPgRows",
                        "varchar",  "repeat('x', {n})", "repeat('x', 400)::varchar"};

class PyodbcLongValues : public ::testing::TestWithParam<const Backend*> {
 protected:
  static void SetUpTestSuite() {
    g_postgres = std::make_unique<PrivatePostgres>();
    std::vector<OdbcHarness::ServerDsnEntry> more;
    if (g_postgres->Start()) more.push_back({"postgres", g_postgres->OdbcConnectionString()});
    testing_odbc::HarnessPaths paths{VELSRV_PATH, VEL_DRIVER_PATH, VEL_SQLITE_ODBC_DRIVER,
                                     VEL_ASAN_RUNTIME};
    g_harness = std::make_unique<OdbcHarness>(paths, kSqlite.dsn, more);
    g_harness->AddDsn(kSqlite.rows_dsn, {"ArrayFetchOn=0"});
    if (g_postgres->running()) {
      const std::string uid = std::string("UID=") + PrivatePostgres::kUser;
      g_harness->AddDsn(kPostgres.dsn, {uid}, "postgres");
      g_harness->AddDsn(kPostgres.rows_dsn, {uid, "ArrayFetchOn=0"}, "postgres");
    }
  }
  static void TearDownTestSuite() {
    g_harness.reset();
    g_postgres.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(g_harness->ok()) << g_harness->error();
    if (GetParam() == &kPostgres && !g_postgres->running())
      GTEST_SKIP() << "PostgreSQL cannot run here: " << g_postgres->error();
  }
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

TEST_P(PyodbcLongValues, TextsArriveWhole) {
  const Backend& b = *GetParam();
  std::string program = R"(
import pyodbc
pyodbc.pooling = False
def connect(dsn):
    c = pyodbc.connect('DSN=' + dsn, autocommit=True)
    c.setencoding(encoding='utf-8')
    c.setdecoding(pyodbc.SQL_CHAR, encoding='utf-8')
    c.setdecoding(pyodbc.SQL_WCHAR, encoding='utf-8', ctype=pyodbc.SQL_CHAR)
    return c
c = connect('{dsn}')
c.execute('drop table if exists wide')
c.execute('create table wide (id integer, v {narrow})')
lengths = [100, 10, 400, 40000, 5, 160000] + [5, 300] * 150
for i, n in enumerate(lengths):
    c.execute('insert into wide values (?, ' + "{repeat}".replace('{n}', str(n)) + ')', i)
c.close()
for dsn in ('{dsn}', '{rows_dsn}'):
    c = connect(dsn)
    v = c.execute("select {expression}").fetchone()[0]
    print(dsn, 'expression', len(v), v == 'x' * 400)
    got = [len(r[0]) for r in c.execute('select v from wide order by id').fetchall()]
    print(dsn, 'column', got == lengths)
    s = ''.join(chr(ord('a') + i % 26) for i in range(70000))
    v = c.execute('select ?', s).fetchone()[0]
    print(dsn, 'parameter', len(v), v == s)
    c.close()
)";
  program = Replace(program, "{dsn}", b.dsn);
  program = Replace(program, "{rows_dsn}", b.rows_dsn);
  program = Replace(program, "{narrow}", b.narrow_type);
  program = Replace(program, "{repeat}", b.repeat);
  program = Replace(program, "{expression}", b.expression);
  testing_odbc::ClientResult r = g_harness->RunClient({"/usr/bin/python3", "-c", program}, "");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  for (const char* dsn : {b.dsn, b.rows_dsn}) {
    for (const char* line : {" expression 400 True\n", " column True\n", " parameter 70000 True\n"})
      EXPECT_NE(r.output.find(dsn + std::string(line)), std::string::npos)
          << dsn << line << r.output;
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, PyodbcLongValues, ::testing::Values(&kSqlite, &kPostgres),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
