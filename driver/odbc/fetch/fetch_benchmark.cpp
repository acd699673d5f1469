// fetch_benchmark: rows per second of a whole result read through the
// driver manager with bound columns, for each data source given, against a
// direct read of the same rows (normally the SQLite ODBC driver on the very
// database file the server reads), the floor the extra hop is measured
// against. scripts/bench sets up the data sources and runs it:
//   fetch_benchmark DIRECT_DSN LABEL=DSN...
// Each read runs three times and the quickest counts. Every data source
// must deliver the same rows as the direct one, or the run fails.
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kQuery = "SELECT n, x, short_text, long_text FROM bench_rows";
constexpr int kRuns = 3;

struct Read {
  bool ok = false;
  std::string error;
  uint64_t rows = 0;
  uint64_t checksum = 0;  // of every value read, to compare the data sources
  double seconds = 0;
};

std::string Diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
  SQLCHAR state[6] = {};
  SQLCHAR text[512] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length)))
    return "no diagnostic";
  return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(text);
}

SQLCHAR* Text(std::string& s) {
  return reinterpret_cast<SQLCHAR*>(s.data());
}

uint64_t Mix(uint64_t sum, const void* bytes, size_t n) {
  const auto* b = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < n; ++i) sum = (sum ^ b[i]) * 1099511628211ull;
  return sum;
}

// Connects to `dsn`, runs the query and fetches every row into bound
// columns; the time runs from the execution to the last fetch.
Read ReadAll(const std::string& dsn) {
  Read r;
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  std::string connect = "DSN=" + dsn + ";";
  SQLRETURN rc = SQLDriverConnect(dbc, nullptr, Text(connect), SQL_NTS, nullptr, 0, nullptr,
                                  SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    r.error = "connect: " + Diagnostic(SQL_HANDLE_DBC, dbc);
  } else {
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    SQLINTEGER n = 0;
    double x = 0;
    char short_text[21] = {};
    char long_text[201] = {};
    SQLLEN n_len = 0, x_len = 0, short_len = 0, long_len = 0;
    SQLBindCol(stmt, 1, SQL_C_SLONG, &n, 0, &n_len);
    SQLBindCol(stmt, 2, SQL_C_DOUBLE, &x, 0, &x_len);
    SQLBindCol(stmt, 3, SQL_C_CHAR, short_text, sizeof short_text, &short_len);
    SQLBindCol(stmt, 4, SQL_C_CHAR, long_text, sizeof long_text, &long_len);
    auto start = std::chrono::steady_clock::now();
    std::string query = kQuery;
    rc = SQLExecDirect(stmt, Text(query), SQL_NTS);
    if (!SQL_SUCCEEDED(rc)) {
      r.error = "execute: " + Diagnostic(SQL_HANDLE_STMT, stmt);
    } else {
      while (SQL_SUCCEEDED(rc = SQLFetch(stmt))) {
        ++r.rows;
        r.checksum = Mix(r.checksum, &n, sizeof n);
        r.checksum = Mix(r.checksum, &x, sizeof x);
        r.checksum = Mix(r.checksum, short_text, std::strlen(short_text));
        r.checksum = Mix(r.checksum, long_text, std::strlen(long_text));
      }
      r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      r.ok = rc == SQL_NO_DATA;
      if (!r.ok) r.error = "fetch: " + Diagnostic(SQL_HANDLE_STMT, stmt);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
  }
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  return r;
}

// The quickest of the runs; the first failure ends them.
Read Best(const std::string& dsn) {
  Read best;
  for (int i = 0; i < kRuns; ++i) {
    Read r = ReadAll(dsn);
    if (!r.ok) return r;
    if (!best.ok || r.seconds < best.seconds) best = r;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: fetch_benchmark DIRECT_DSN LABEL=DSN...\n");
    return 2;
  }
  struct Mode {
    std::string label;
    std::string dsn;
  };
  std::vector<Mode> modes = {{"direct read", argv[1]}};
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) {
      std::fprintf(stderr, "fetch_benchmark: %s is not LABEL=DSN\n", argv[i]);
      return 2;
    }
    modes.push_back({arg.substr(0, eq), arg.substr(eq + 1)});
  }

  std::printf("%-28s %10s %10s %12s %10s\n", "read", "rows", "seconds", "rows/s", "vs direct");
  Read direct;
  int failures = 0;
  for (const Mode& m : modes) {
    Read r = Best(m.dsn);
    if (r.ok && &m != &modes[0] && (r.rows != direct.rows || r.checksum != direct.checksum)) {
      r.ok = false;
      r.error = "its rows differ from the direct read's";
    }
    if (!r.ok) {
      std::printf("%-28s failed: %s\n", m.label.c_str(), r.error.c_str());
      ++failures;
      if (&m == &modes[0]) return 1;
      continue;
    }
    if (&m == &modes[0]) direct = r;
    double rate = r.seconds > 0 ? r.rows / r.seconds : 0;
    double direct_rate = direct.seconds > 0 ? direct.rows / direct.seconds : 0;
    std::printf("%-28s %10llu %10.3f %12.0f %10.3f\n", m.label.c_str(),
                static_cast<unsigned long long>(r.rows), r.seconds, rate,
                direct_rate > 0 ? rate / direct_rate : 0.0);
  }
  return failures == 0 ? 0 : 1;
}
