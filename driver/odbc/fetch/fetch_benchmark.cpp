// fetch_benchmark: what the extra hop through the driver and velsrv costs,
// against the databases' own ODBC drivers reading the same rows. Every
// column is bound as SQL_C_CHAR and every row read through the driver
// manager. scripts/bench sets up the data sources and runs it:
//   fetch_benchmark --rows N --wide-rows W [--versus LABEL] PATH...
// where PATH is "LABEL|DSN|REFERENCE|VELSRV_PID|KIND": REFERENCE (empty for
// a direct read) is the label of the path whose rows this one must deliver
// and against whose rate it is measured; VELSRV_PID is 0 without a velsrv.
// KIND says what is measured:
//   all        the N rows of bench_rows, with the median time of a one-row
//              query (execute, fetch, close) and of a connect and
//              disconnect, as multiples of the path named by --versus;
//   cols:K     the W rows of the first K columns of bench_wide;
//   clients:C  C processes at once, each reading the N rows of bench_rows:
//              their total rows per second, and velsrv's resident size
//              once their sessions have ended;
//   big:R      the first R rows of bench_big, with the cost per row against
//              the path's smaller big read, if it has one.
// Each read runs three times and the quickest counts; the peak resident
// sizes of this process and of velsrv are taken over the three. A path
// whose rows differ from its reference's fails the run.
#include <signal.h>
#include <sql.h>
#include <sqlext.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kQuery = "SELECT n, x, short_text, long_text FROM bench_rows";
constexpr const char* kOneRow = "SELECT 1";
constexpr int kRuns = 3;
constexpr int kQueryWarmUp = 50;
constexpr int kQueries = 2000;
constexpr int kConnects = 30;
constexpr int kMaxColumns = 64;
constexpr size_t kColumnBytes = 256;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

enum class Kind { kAll, kColumns, kClients, kBig };

struct Path {
  std::string label;
  std::string dsn;
  std::string reference;  // empty for a direct read
  long velsrv_pid = 0;
  Kind kind = Kind::kAll;
  uint64_t count = 0;  // columns, clients or rows, by kind
};

struct Result {
  bool ok = false;
  std::string error;
  uint64_t rows = 0;
  uint64_t checksum = 0;  // of every value read, to compare the paths
  double seconds = 0;     // the quickest whole read
  double query_us = 0;    // median one-row query
  double connect_us = 0;  // median connect and disconnect
  long peak_kb = 0;       // this process (or its busiest client)
  long growth_kb = 0;     // its growth after the first tenth of the rows
  long server_peak_kb = 0;
  long server_growth_kb = 0;
  long server_after_kb = 0;  // velsrv once the clients' sessions ended
  double load = 0;           // one-minute load average when measured
  std::string note;
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

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

double LoadNow() {
  return std::atof(LoadAverage().c_str());
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

// Every column of the query bound as text.
struct Columns {
  explicit Columns(size_t n) : count(n), values(n * kColumnBytes), lengths(n) {}
  void Bind(SQLHSTMT stmt) {
    for (size_t i = 0; i < count; ++i)
      SQLBindCol(stmt, static_cast<SQLUSMALLINT>(i + 1), SQL_C_CHAR, &values[i * kColumnBytes],
                 kColumnBytes, &lengths[i]);
  }
  uint64_t Mixed(uint64_t sum) const {
    for (size_t i = 0; i < count; ++i) {
      const char* v = &values[i * kColumnBytes];
      sum = Mix(sum, v, strnlen(v, kColumnBytes));
    }
    return sum;
  }
  size_t count;
  std::vector<char> values;
  std::vector<SQLLEN> lengths;
};

struct Query {
  std::string sql;
  size_t columns = 4;
  uint64_t rows = 0;  // what it must give
};

Query QueryOf(const Path& path, uint64_t rows, uint64_t wide_rows) {
  Query q;
  switch (path.kind) {
    case Kind::kAll:
    case Kind::kClients:
      q.sql = kQuery;
      q.rows = rows;
      break;
    case Kind::kColumns:
      q.sql = "SELECT c1";
      for (uint64_t i = 2; i <= path.count; ++i) q.sql += ", c" + std::to_string(i);
      q.sql += " FROM bench_wide";
      q.columns = path.count;
      q.rows = wide_rows;
      break;
    case Kind::kBig:
      q.sql =
          "SELECT n, x, short_text, long_text FROM bench_big LIMIT " + std::to_string(path.count);
      q.rows = path.count;
      break;
  }
  return q;
}

// Runs the query on the connection's new statement and fetches every row
// into bound columns; the time runs from the execution to the last fetch.
// `tenth` runs once, after a tenth of the rows.
template <typename AtTenth>
bool ReadRows(Connection& c, const Query& q, uint64_t* rows, uint64_t* checksum, double* seconds,
              std::string* error, AtTenth tenth) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, c.dbc(), &stmt);
  Columns columns(q.columns);
  columns.Bind(stmt);
  *rows = 0;
  *checksum = 0;
  auto start = Clock::now();
  SQLRETURN rc = SQLExecDirect(stmt, Text(q.sql.c_str()), SQL_NTS);
  bool ok = SQL_SUCCEEDED(rc);
  if (!ok) {
    *error = "execute: " + Diagnostic(SQL_HANDLE_STMT, stmt);
  } else {
    while (SQL_SUCCEEDED(rc = SQLFetch(stmt))) {
      ++*rows;
      *checksum = columns.Mixed(*checksum);
      if (*rows == q.rows / 10) tenth();
    }
    *seconds = Seconds(start);
    ok = rc == SQL_NO_DATA;
    if (!ok) *error = "fetch: " + Diagnostic(SQL_HANDLE_STMT, stmt);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return ok;
}

// One read of the path's query in this process. The first run also samples
// the resident sizes after a tenth of the rows, for `growth`.
bool ReadAll(const Path& path, const Query& q, Result* r, bool sample) {
  Connection c;
  if (!c.Connect(path.dsn, &r->error)) return false;
  std::string self = "self", server = PidText(path.velsrv_pid);
  long self_at_tenth = 0, server_at_tenth = 0;
  double seconds = 0;
  bool ok = ReadRows(c, q, &r->rows, &r->checksum, &seconds, &r->error, [&] {
    if (!sample) return;
    self_at_tenth = StatusKb(self, "VmRSS");
    if (!server.empty()) server_at_tenth = StatusKb(server, "VmRSS");
  });
  if (ok && (r->seconds == 0 || seconds < r->seconds)) r->seconds = seconds;
  if (ok && sample) {
    r->growth_kb = StatusKb(self, "VmRSS") - self_at_tenth;
    if (!server.empty()) r->server_growth_kb = StatusKb(server, "VmRSS") - server_at_tenth;
  }
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

// A client process of a concurrent read: connects, says "ready", waits for
// a line on standard input, reads the rows and says
// "done ROWS CHECKSUM PEAK_KB", or "error TEXT".
int ChildMain(const std::string& dsn, const std::string& sql, size_t columns) {
  Query q;
  q.sql = sql;
  q.columns = columns;
  Connection c;
  std::string error;
  if (!c.Connect(dsn, &error)) {
    std::printf("error %s\n", error.c_str());
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  char line[16];
  if (std::fgets(line, sizeof line, stdin) == nullptr) return 1;
  uint64_t rows = 0, checksum = 0;
  double seconds = 0;
  if (!ReadRows(c, q, &rows, &checksum, &seconds, &error, [] {})) {
    std::printf("error %s\n", error.c_str());
    return 1;
  }
  std::printf("done %llu %llu %ld\n", static_cast<unsigned long long>(rows),
              static_cast<unsigned long long>(checksum), StatusKb("self", "VmHWM"));
  std::fflush(stdout);
  return 0;
}

struct Child {
  pid_t pid = -1;
  FILE* to = nullptr;
  FILE* from = nullptr;
};

bool SpawnChild(const std::string& dsn, const Query& q, Child* child) {
  int in[2], out[2];
  if (pipe(in) != 0) return false;
  if (pipe(out) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    close(in[0]);
    close(in[1]);
    close(out[0]);
    close(out[1]);
    std::string columns = std::to_string(q.columns);
    execl("/proc/self/exe", "fetch_benchmark", "--child", dsn.c_str(), q.sql.c_str(),
          columns.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  child->pid = pid;
  child->to = fdopen(in[1], "w");
  child->from = fdopen(out[0], "r");
  return child->to != nullptr && child->from != nullptr;
}

std::string ReadLine(FILE* f) {
  char line[1024];
  if (std::fgets(line, sizeof line, f) == nullptr) return "";
  std::string s = line;
  if (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

// One concurrent read by `clients` processes: the wall time from the
// moment all of them are connected until the last has its rows. Every
// client must read the same rows.
bool ReadConcurrently(const Path& path, const Query& q, Result* r) {
  std::vector<Child> children(path.count);
  bool ok = true;
  for (Child& c : children) {
    if (!SpawnChild(path.dsn, q, &c)) {
      r->error = "cannot start a client process";
      ok = false;
      break;
    }
  }
  for (Child& c : children) {
    if (!ok || c.from == nullptr) break;
    std::string line = ReadLine(c.from);
    if (line != "ready") {
      r->error = "client: " + (line.empty() ? std::string("no answer") : line);
      ok = false;
    }
  }
  Clock::time_point start = Clock::now();
  if (ok) {
    for (Child& c : children) {
      std::fputs("go\n", c.to);
      std::fflush(c.to);
    }
  }
  uint64_t rows = 0;
  for (Child& c : children) {
    if (!ok || c.from == nullptr) break;
    std::string line = ReadLine(c.from);
    unsigned long long n = 0, sum = 0;
    long peak = 0;
    if (std::sscanf(line.c_str(), "done %llu %llu %ld", &n, &sum, &peak) != 3) {
      r->error = "client: " + (line.empty() ? std::string("no answer") : line);
      ok = false;
      break;
    }
    if (r->checksum != 0 && sum != r->checksum) {
      r->error = "the clients read different rows";
      ok = false;
    }
    r->checksum = sum;
    r->peak_kb = std::max(r->peak_kb, peak);
    rows += n;
  }
  double seconds = Seconds(start);
  for (Child& c : children) {
    if (c.to != nullptr) std::fclose(c.to);
    if (c.from != nullptr) std::fclose(c.from);
    if (c.pid > 0) {
      if (!ok) kill(c.pid, SIGTERM);
      waitpid(c.pid, nullptr, 0);
    }
  }
  if (!ok) return false;
  r->rows = rows;
  if (r->seconds == 0 || seconds < r->seconds) r->seconds = seconds;
  return true;
}

std::string Mb(long kb) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", kb / 1024.0);
  return text;
}

Result Measure(const Path& path, const Query& q) {
  Result r;
  r.load = LoadNow();
  std::string server = PidText(path.velsrv_pid);
  long server_before_kb = server.empty() ? 0 : StatusKb(server, "VmRSS");
  ResetPeak("self");
  if (!server.empty()) ResetPeak(server);
  for (int i = 0; i < kRuns; ++i) {
    bool ok =
        path.kind == Kind::kClients ? ReadConcurrently(path, q, &r) : ReadAll(path, q, &r, i == 0);
    if (!ok) return r;
  }
  if (path.kind != Kind::kClients) r.peak_kb = StatusKb("self", "VmHWM");
  if (!server.empty()) r.server_peak_kb = StatusKb(server, "VmHWM");
  if (path.kind == Kind::kClients && !server.empty()) {
    // The sessions end once velsrv has seen the clients go.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    r.server_after_kb = StatusKb(server, "VmRSS");
    r.note = "velsrv " + Mb(server_before_kb) + " MB before, " + Mb(r.server_after_kb) + " after";
  }
  r.ok = path.kind != Kind::kAll || (OneRowQueries(path, &r) && Connects(path, &r));
  return r;
}

bool ParseKind(const std::string& text, Path* path) {
  if (text.empty() || text == "all") {
    path->kind = Kind::kAll;
    return true;
  }
  size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  std::string name = text.substr(0, colon);
  char* end = nullptr;
  path->count = std::strtoull(text.c_str() + colon + 1, &end, 10);
  if (*end != '\0' || path->count == 0) return false;
  if (name == "cols")
    path->kind = Kind::kColumns;
  else if (name == "clients")
    path->kind = Kind::kClients;
  else if (name == "big")
    path->kind = Kind::kBig;
  else
    return false;
  return path->kind != Kind::kColumns || path->count <= kMaxColumns;
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
  if (fields.size() != 5 || fields[0].empty() || fields[1].empty()) return false;
  path->label = fields[0];
  path->dsn = fields[1];
  path->reference = fields[2];
  char* end = nullptr;
  path->velsrv_pid = std::strtol(fields[3].c_str(), &end, 10);
  return *end == '\0' && path->velsrv_pid >= 0 && ParseKind(fields[4], path);
}

std::string MbGrowth(long kb, long growth_kb) {
  if (kb == 0) return "-";
  char text[48];
  std::snprintf(text, sizeof text, "%.1f (%+.1f)", kb / 1024.0, growth_kb / 1024.0);
  return text;
}

std::string Number(double v, const char* format) {
  if (v == 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--child") == 0)
    return ChildMain(argv[2], argv[3], std::strtoul(argv[4], nullptr, 10));
  std::vector<Path> paths;
  std::string versus;
  uint64_t expected_rows = 0, wide_rows = 0;
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
    if (arg == "--wide-rows" && i + 1 < argc) {
      wide_rows = std::strtoull(argv[++i], nullptr, 10);
      continue;
    }
    Path p;
    if (!ParsePath(arg, &p)) {
      std::fprintf(stderr, "fetch_benchmark: %s is not LABEL|DSN|REFERENCE|VELSRV_PID|KIND\n",
                   argv[i]);
      return 2;
    }
    paths.push_back(p);
  }
  if (paths.empty()) {
    std::fprintf(stderr,
                 "usage: fetch_benchmark --rows N --wide-rows W [--versus LABEL] "
                 "LABEL|DSN|REFERENCE|PID|KIND...\n");
    return 2;
  }

  std::string load_before = LoadAverage();
  std::vector<Result> results;
  auto find = [&](const std::string& label) -> const Result* {
    for (size_t i = 0; i < results.size(); ++i)
      if (paths[i].label == label && results[i].ok) return &results[i];
    return nullptr;
  };
  int failures = 0;
  for (const Path& p : paths) {
    const Result* reference = p.reference.empty() ? nullptr : find(p.reference);
    Query q = QueryOf(p, expected_rows, wide_rows);
    uint64_t expected = q.rows * (p.kind == Kind::kClients ? p.count : 1);
    Result r;
    if (!p.reference.empty() && reference == nullptr) {
      r.error = "its reference " + p.reference + " has no result";
    } else {
      r = Measure(p, q);
      if (r.ok && r.rows != expected) {
        r.ok = false;
        r.error = std::to_string(r.rows) + " rows instead of " + std::to_string(expected);
      } else if (r.ok && reference != nullptr &&
                 (r.rows != reference->rows || r.checksum != reference->checksum)) {
        r.ok = false;
        r.error = "its rows differ from those of " + p.reference;
      }
    }
    // A big read says what a row costs against the same path's smaller one.
    for (size_t i = 0; r.ok && p.kind == Kind::kBig && i < results.size(); ++i) {
      const Path& other = paths[i];
      if (other.kind == Kind::kBig && other.dsn == p.dsn && other.count < p.count &&
          results[i].ok) {
        double per_row = r.seconds / static_cast<double>(r.rows);
        double other_per_row = results[i].seconds / static_cast<double>(results[i].rows);
        char text[64];
        std::snprintf(text, sizeof text, "per row x%.2f of %llu rows", per_row / other_per_row,
                      static_cast<unsigned long long>(other.count));
        r.note = text;
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
  std::printf("\n%-46s %10s %6s %8s %6s %9s %6s %15s %15s %5s  %s\n", "path", "rows/s", "ratio",
              "query us", "ratio", "connect", "ratio", "RSS MB (growth)", "velsrv MB", "load",
              "notes");
  for (size_t i = 0; i < paths.size(); ++i) {
    const Result& r = results[i];
    if (!r.ok) {
      std::printf("%-46s failed: %s\n", paths[i].label.c_str(), r.error.c_str());
      continue;
    }
    const Result* reference = paths[i].reference.empty() ? &r : find(paths[i].reference);
    double rate = r.rows / r.seconds;
    double ratio = reference != nullptr ? rate / (reference->rows / reference->seconds) : 0;
    bool timed = paths[i].kind == Kind::kAll && against != nullptr;
    double query_ratio = timed ? r.query_us / against->query_us : 0;
    double connect_ratio = timed ? r.connect_us / against->connect_us : 0;
    std::printf("%-46s %10.0f %6.2f %8s %6s %9s %6s %15s %15s %5.2f  %s\n", paths[i].label.c_str(),
                rate, ratio, Number(r.query_us, "%.1f").c_str(),
                Number(query_ratio, "%.2f").c_str(), Number(r.connect_us, "%.0f").c_str(),
                Number(connect_ratio, "%.2f").c_str(),
                MbGrowth(r.peak_kb, paths[i].kind == Kind::kClients ? 0 : r.growth_kb).c_str(),
                MbGrowth(r.server_peak_kb, r.server_growth_kb).c_str(), r.load, r.note.c_str());
  }
  std::printf(
      "ratio: rows/s against the path's direct read; query and connect: times (us) against %s\n"
      "clients: their total rows/s, RSS of the busiest; velsrv MB: peak (growth while the rows "
      "streamed)\n"
      "load average (1, 5, 15 min): %s at the start, %s at the end\n",
      versus.empty() ? "(none)" : versus.c_str(), load_before.c_str(), LoadAverage().c_str());
  return failures == 0 ? 0 : 1;
}
