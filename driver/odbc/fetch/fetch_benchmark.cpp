// fetch_benchmark: what the extra hop through the driver and velsrv costs,
// against the databases' own ODBC drivers reading the same rows. For each
// path it measures rows per second of a whole result read through the
// driver manager with every column bound as SQL_C_CHAR, the median time of
// a one-row query (execute, fetch, free the statement), the median time of
// a connect and disconnect, and the peak resident memory of this process
// and of the path's velsrv while the rows stream. scripts/bench sets up the
// data sources and runs it:
//   fetch_benchmark --rows N [--versus LABEL] PATH...
// where PATH is "LABEL|DSN|REFERENCE|VELSRV_PID": REFERENCE (empty for a
// direct read) is the label of the path whose rows this one must deliver
// and against whose rate it is measured; VELSRV_PID is 0 without a
// velsrv; N is the number of rows the query gives. Latency and connect times are also given as
// multiples of the path named by --versus. Each read runs three times and the quickest counts; a
// path whose rows differ from its reference's fails the run.
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kQuery = "SELECT n, x, short_text, long_text FROM bench_rows";
constexpr const char* kOneRow = "SELECT 1";
constexpr int kRuns = 3;
constexpr int kQueryWarmUp = 50;
constexpr int kQueries = 2000;
constexpr int kConnects = 30;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

struct Path {
  std::string label;
  std::string dsn;
  std::string reference;  // empty for a direct read
  long velsrv_pid = 0;
};

struct Result {
  bool ok = false;
  std::string error;
  uint64_t rows = 0;
  uint64_t checksum = 0;  // of every value read, to compare the paths
  double seconds = 0;     // the quickest whole read
  double query_us = 0;    // median one-row query
  double connect_us = 0;  // median connect and disconnect
  long peak_kb = 0;       // this process while the rows streamed
  long growth_kb = 0;     // its growth after the first tenth of the rows
  long server_peak_kb = 0;
  long server_growth_kb = 0;
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

SQLCHAR* Text(const char* s) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s));
}

uint64_t Mix(uint64_t sum, const void* bytes, size_t n) {
  const auto* b = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < n; ++i) sum = (sum ^ b[i]) * 1099511628211ull;
  return sum;
}

// One field of /proc/PID/status in KB ("self" for this process); 0 when
// it cannot be read.
long StatusKb(const std::string& pid, const char* field) {
  std::ifstream in("/proc/" + pid + "/status");
  std::string line;
  size_t n = std::strlen(field);
  while (std::getline(in, line)) {
    if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
      return std::atol(line.c_str() + n + 1);
  }
  return 0;
}

// Starts the peak resident size afresh, so that it tells one path's.
void ResetPeak(const std::string& pid) {
  std::ofstream("/proc/" + pid + "/clear_refs") << "5";
}

std::string PidText(long pid) {
  return pid > 0 ? std::to_string(pid) : std::string();
}

class Connection {
 public:
  Connection() {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
  }
  ~Connection() {
    Disconnect();
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Connect(const std::string& dsn, std::string* error) {
    std::string text = "DSN=" + dsn + ";";
    SQLRETURN rc = SQLDriverConnect(dbc_, nullptr, Text(text.c_str()), SQL_NTS, nullptr, 0, nullptr,
                                    SQL_DRIVER_NOPROMPT);
    connected_ = SQL_SUCCEEDED(rc);
    if (!connected_) *error = "connect: " + Diagnostic(SQL_HANDLE_DBC, dbc_);
    return connected_;
  }
  void Disconnect() {
    if (connected_) SQLDisconnect(dbc_);
    connected_ = false;
  }
  SQLHDBC dbc() const { return dbc_; }

 private:
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool connected_ = false;
};

struct Columns {
  char n[24] = {};
  char x[40] = {};
  char short_text[21] = {};
  char long_text[201] = {};
  SQLLEN n_len = 0, x_len = 0, short_len = 0, long_len = 0;

  void Bind(SQLHSTMT stmt) {
    SQLBindCol(stmt, 1, SQL_C_CHAR, n, sizeof n, &n_len);
    SQLBindCol(stmt, 2, SQL_C_CHAR, x, sizeof x, &x_len);
    SQLBindCol(stmt, 3, SQL_C_CHAR, short_text, sizeof short_text, &short_len);
    SQLBindCol(stmt, 4, SQL_C_CHAR, long_text, sizeof long_text, &long_len);
  }
  uint64_t Mixed(uint64_t sum) const {
    for (const char* v : {n, x, short_text, long_text}) sum = Mix(sum, v, std::strlen(v));
    return sum;
  }
};

// Runs the query and fetches every row into bound columns; the time runs
// from the execution to the last fetch. The first run also samples the
// resident sizes after a tenth of the rows, for `growth`.
bool ReadAll(const Path& path, uint64_t expected_rows, Result* r, bool sample) {
  Connection c;
  if (!c.Connect(path.dsn, &r->error)) return false;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, c.dbc(), &stmt);
  Columns columns;
  columns.Bind(stmt);
  std::string self = "self", server = PidText(path.velsrv_pid);
  long self_at_tenth = 0, server_at_tenth = 0;
  uint64_t rows = 0, checksum = 0;
  auto start = Clock::now();
  SQLRETURN rc = SQLExecDirect(stmt, Text(kQuery), SQL_NTS);
  bool ok = SQL_SUCCEEDED(rc);
  if (!ok) {
    r->error = "execute: " + Diagnostic(SQL_HANDLE_STMT, stmt);
  } else {
    while (SQL_SUCCEEDED(rc = SQLFetch(stmt))) {
      ++rows;
      checksum = columns.Mixed(checksum);
      if (sample && rows == expected_rows / 10) {
        self_at_tenth = StatusKb(self, "VmRSS");
        if (!server.empty()) server_at_tenth = StatusKb(server, "VmRSS");
      }
    }
    double seconds = Seconds(start);
    ok = rc == SQL_NO_DATA;
    if (!ok) r->error = "fetch: " + Diagnostic(SQL_HANDLE_STMT, stmt);
    if (ok && (r->seconds == 0 || seconds < r->seconds)) r->seconds = seconds;
  }
  if (ok && sample) {
    r->growth_kb = StatusKb(self, "VmRSS") - self_at_tenth;
    if (!server.empty()) r->server_growth_kb = StatusKb(server, "VmRSS") - server_at_tenth;
  }
  r->rows = rows;
  r->checksum = checksum;
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return ok;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The median of one-row queries on one statement: execute, fetch the row,
// close the statement's cursor.
bool OneRowQueries(const Path& path, Result* r) {
  Connection c;
  if (!c.Connect(path.dsn, &r->error)) return false;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, c.dbc(), &stmt);
  char value[16];
  SQLLEN length = 0;
  SQLBindCol(stmt, 1, SQL_C_CHAR, value, sizeof value, &length);
  std::vector<double> times;
  bool ok = true;
  for (int i = 0; i < kQueryWarmUp + kQueries && ok; ++i) {
    auto start = Clock::now();
    ok = SQL_SUCCEEDED(SQLExecDirect(stmt, Text(kOneRow), SQL_NTS)) &&
         SQL_SUCCEEDED(SQLFetch(stmt)) && SQL_SUCCEEDED(SQLFreeStmt(stmt, SQL_CLOSE));
    if (i >= kQueryWarmUp) times.push_back(Seconds(start) * 1e6);
  }
  if (ok && std::strcmp(value, "1") != 0) {
    ok = false;
    r->error = std::string("the one-row query gave ") + value;
  } else if (!ok) {
    r->error = "one-row query: " + Diagnostic(SQL_HANDLE_STMT, stmt);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  r->query_us = Median(times);
  return ok;
}

bool Connects(const Path& path, Result* r) {
  std::vector<double> times;
  for (int i = 0; i < kConnects; ++i) {
    Connection c;
    auto start = Clock::now();
    if (!c.Connect(path.dsn, &r->error)) return false;
    c.Disconnect();
    times.push_back(Seconds(start) * 1e6);
  }
  r->connect_us = Median(times);
  return true;
}

Result Measure(const Path& path, uint64_t expected_rows) {
  Result r;
  std::string server = PidText(path.velsrv_pid);
  ResetPeak("self");
  if (!server.empty()) ResetPeak(server);
  for (int i = 0; i < kRuns; ++i) {
    if (!ReadAll(path, expected_rows, &r, i == 0)) return r;
  }
  r.peak_kb = StatusKb("self", "VmHWM");
  if (!server.empty()) r.server_peak_kb = StatusKb(server, "VmHWM");
  r.ok = OneRowQueries(path, &r) && Connects(path, &r);
  return r;
}

bool ParsePath(const std::string& arg, Path* path) {
  std::vector<std::string> fields;
  size_t from = 0;
  for (;;) {
    size_t bar = arg.find('|', from);
    fields.push_back(arg.substr(from, bar - from));
    if (bar == std::string::npos) break;
    from = bar + 1;
  }
  if (fields.size() != 4 || fields[0].empty() || fields[1].empty()) return false;
  path->label = fields[0];
  path->dsn = fields[1];
  path->reference = fields[2];
  char* end = nullptr;
  path->velsrv_pid = std::strtol(fields[3].c_str(), &end, 10);
  return *end == '\0' && path->velsrv_pid >= 0;
}

std::string Mb(long kb, long growth_kb) {
  if (kb == 0) return "-";
  char text[48];
  std::snprintf(text, sizeof text, "%.1f (%+.1f)", kb / 1024.0, growth_kb / 1024.0);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Path> paths;
  std::string versus;
  uint64_t expected_rows = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--versus" && i + 1 < argc) {
      versus = argv[++i];
      continue;
    }
    if (arg == "--rows" && i + 1 < argc) {
      expected_rows = std::strtoull(argv[++i], nullptr, 10);
      continue;
    }
    Path p;
    if (!ParsePath(arg, &p)) {
      std::fprintf(stderr, "fetch_benchmark: %s is not LABEL|DSN|REFERENCE|VELSRV_PID\n", argv[i]);
      return 2;
    }
    paths.push_back(p);
  }
  if (paths.empty()) {
    std::fprintf(stderr,
                 "usage: fetch_benchmark --rows N [--versus LABEL] LABEL|DSN|REFERENCE|PID...\n");
    return 2;
  }

  std::vector<Result> results;
  auto find = [&](const std::string& label) -> const Result* {
    for (size_t i = 0; i < results.size(); ++i)
      if (paths[i].label == label && results[i].ok) return &results[i];
    return nullptr;
  };
  int failures = 0;
  for (const Path& p : paths) {
    const Result* reference = p.reference.empty() ? nullptr : find(p.reference);
    Result r;
    if (!p.reference.empty() && reference == nullptr) {
      r.error = "its reference " + p.reference + " has no result";
    } else {
      r = Measure(p, expected_rows);
      if (r.ok && r.rows != expected_rows) {
        r.ok = false;
        r.error = std::to_string(r.rows) + " rows instead of " + std::to_string(expected_rows);
      } else if (r.ok && reference != nullptr &&
                 (r.rows != reference->rows || r.checksum != reference->checksum)) {
        r.ok = false;
        r.error = "its rows differ from those of " + p.reference;
      }
    }
    if (!r.ok) {
      std::fprintf(stderr, "%s failed: %s\n", p.label.c_str(), r.error.c_str());
      ++failures;
    } else {
      std::fprintf(stderr, "%s: %.0f rows/s\n", p.label.c_str(), r.rows / r.seconds);
    }
    results.push_back(r);
  }

  const Result* against = find(versus);
  std::printf("\n%-44s %10s %7s %9s %7s %10s %7s %16s %16s\n", "path", "rows/s", "ratio",
              "query us", "ratio", "connect us", "ratio", "RSS MB (growth)", "velsrv MB");
  for (size_t i = 0; i < paths.size(); ++i) {
    const Result& r = results[i];
    if (!r.ok) {
      std::printf("%-44s failed: %s\n", paths[i].label.c_str(), r.error.c_str());
      continue;
    }
    const Result* reference = paths[i].reference.empty() ? &r : find(paths[i].reference);
    double rate = r.rows / r.seconds;
    double ratio = reference != nullptr ? rate / (reference->rows / reference->seconds) : 0;
    double query_ratio = against != nullptr ? r.query_us / against->query_us : 0;
    double connect_ratio = against != nullptr ? r.connect_us / against->connect_us : 0;
    std::printf("%-44s %10.0f %7.2f %9.1f %7.2f %10.0f %7.2f %16s %16s\n", paths[i].label.c_str(),
                rate, ratio, r.query_us, query_ratio, r.connect_us, connect_ratio,
                Mb(r.peak_kb, r.growth_kb).c_str(),
                Mb(r.server_peak_kb, r.server_growth_kb).c_str());
  }
  std::printf("ratio: rows/s against the path's direct read; query and connect: times against %s\n",
              versus.empty() ? "(none)" : versus.c_str());
  return failures == 0 ? 0 : 1;
}
