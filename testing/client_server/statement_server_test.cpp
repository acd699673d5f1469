// Statements through the client's own stubs against velsrv over loopback,
// in front of SQLite and of a private PostgreSQL: parameters of every C type
// the client sends, rows read back one at a time and in row blocks (decoded
// as the client decodes them), long values piece by piece, data at
// execution, row counts and the backends' errors.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/memory.h"
#include "driver/lna/catalog_stubs.h"
#include "driver/lna/conn_stubs.h"
#include "driver/lna/option_stubs.h"
#include "driver/lna/stmt_stubs.h"
#include "server/fetch_shape.h"
#include "server/listener.h"
#include "server/odbc_backend.h"
#include "testing/private_postgres.h"
#include "testing/stub_login.h"
#include "testing/temp_dir.h"
#include "wire/protocol.h"
#include "wire/row_block.h"
#include "wire/row_block_encoder.h"

namespace velsrv_test {
namespace {

constexpr uint32_t kArrayBufferBytes = 8 * 1024;

TempDir* g_dir = nullptr;
std::unique_ptr<PrivatePostgres> g_postgres;

// PostgreSQL, started by the first test that needs it; null when it cannot
// run here.
PrivatePostgres* Postgres() {
  static bool tried = false;
  if (!tried) {
    tried = true;
    g_postgres = std::make_unique<PrivatePostgres>();
    if (!g_postgres->Start()) std::fprintf(stderr, "PostgreSQL: %s\n", g_postgres->error().c_str());
  }
  return g_postgres->running() ? g_postgres.get() : nullptr;
}

std::string PostgresError() {
  return g_postgres != nullptr ? g_postgres->error() : "";
}

// Private ODBC files with the SQLite data source, before the first ODBC call.
class Databases : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    g_dir = dir_.get();
    dir_->Write("odbcinst.ini", "[VelsrvSQLite]\nDriver = " VEL_SQLITE_ODBC_DRIVER "\n");
    // The same database read as velsrv's example configuration reads it
    // too: a row at a time, without the driver holding the whole result.
    dir_->Write("odbc.ini",
                "[velsrv_stmt]\nDriver = VelsrvSQLite\nDatabase = " + dir_->Path("stmt.db") +
                    "\n[velsrv_stmt_step]\nDriver = VelsrvSQLite\nDatabase = " +
                    dir_->Path("stmt.db") + "\nStepAPI = 1\n");
    setenv("ODBCSYSINI", dir_->path().c_str(), 1);
    setenv("ODBCINI", dir_->Path("odbc.ini").c_str(), 1);
    // Kept resident so that the driver manager's cached files stay reachable
    // for the leak check at exit.
    installer_ = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_NODELETE);
  }
  void TearDown() override {
    g_postgres.reset();
    dir_.reset();
    g_dir = nullptr;
  }

 private:
  std::unique_ptr<TempDir> dir_;
  void* installer_ = nullptr;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Databases);

// What differs between the two databases, and between their drivers' two
// ways of reading a result: whole at execution, or a part at a time.
struct Database {
  const char* name;
  const char* binary_type;
  const char* constraint_sqlstate;  // the start of a constraint violation's
  bool postgres;
};
const Database kSqlite{"sqlite", "BLOB", "S1000", false};
const Database kSqliteStep{"sqlite_step", "BLOB", "S1000", false};
const Database kPostgres{"postgres", "BYTEA", "23", true};
const Database kPostgresCursor{"postgres_cursor", "BYTEA", "23", true};

bool IsPostgres(const std::string& name) {
  return name.rfind("postgres", 0) == 0;
}

velsrv::ServerConfig Config(const std::string& database) {
  velsrv::ServerConfig c;
  c.port = 0;
  c.compress = true;  // the row-block tests see compressed blocks too
  c.dsns = {{"sqlite", "SQLite", "DSN=velsrv_stmt"},
            {"sqlite_step", "SQLite", "DSN=velsrv_stmt_step"}};
  if (IsPostgres(database) && Postgres() != nullptr) {
    c.dsns.push_back({"postgres", "PostgreSQL", Postgres()->OdbcConnectionString()});
    // A cursor fetched a few rows at a time, fewer than a block holds.
    c.dsns.push_back({"postgres_cursor", "PostgreSQL",
                      Postgres()->OdbcConnectionString() + ";UseDeclareFetch=1;Fetch=100"});
  }
  return c;
}

// ---- values as the tests write and read them ------------------------------

// Texts and byte strings the typed values point into live here.
struct Arena {
  std::vector<std::unique_ptr<std::string>> strings;
  char* Keep(const std::string& s) {
    strings.push_back(std::make_unique<std::string>(s));
    return strings.back()->data();
  }
};

LnaTypedValue Number(int16_t c_type, int64_t v) {
  LnaTypedValue t{};
  t.c_type = c_type;
  switch (c_type) {
    case kCTypeLong:
    case kCTypeSLong:
    case kCTypeULong:
      t.length = 4;
      t.value.i32 = static_cast<int32_t>(v);
      break;
    case kCTypeShort:
    case kCTypeSShort:
    case kCTypeUShort:
      t.length = 2;
      t.value.u16 = static_cast<uint16_t>(v);
      break;
    default:  // the one-byte types
      t.length = 1;
      t.value.u8 = static_cast<uint8_t>(v);
      break;
  }
  return t;
}

LnaTypedValue Real(int16_t c_type, double v) {
  LnaTypedValue t{};
  t.c_type = c_type;
  if (c_type == kCTypeFloat) {
    t.length = 4;
    t.value.f32 = static_cast<float>(v);
  } else {
    t.length = 8;
    t.value.f64 = v;
  }
  return t;
}

LnaTypedValue Text(Arena& a, const std::string& s, int16_t c_type = kCTypeChar) {
  LnaTypedValue t{};
  t.c_type = c_type;
  t.length = static_cast<int32_t>(s.size());
  t.value.text = a.Keep(s);
  return t;
}

LnaTypedValue Null(int16_t c_type) {
  LnaTypedValue t{};
  t.c_type = c_type;
  t.length = kValueNull;
  return t;
}

LnaTypedValue DateOrTime(int16_t c_type, uint16_t a, uint16_t b, uint16_t c) {
  LnaTypedValue t{};
  t.c_type = c_type;
  t.length = 6;
  t.value.date[0] = a;
  t.value.date[1] = b;
  t.value.date[2] = c;
  return t;
}

LnaTypedValue Stamp(LnaTimestamp ts) {
  LnaTypedValue t{};
  t.c_type = kCTypeTimestamp;
  t.length = 16;
  t.value.timestamp = ts;
  return t;
}

LnaDescriptor Param(uint16_t number, int16_t sql_type, int32_t precision, LnaTypedValue v,
                    uint16_t io_type = 1) {
  LnaDescriptor d{};
  d.number = number;
  d.param_type = io_type;
  d.sql_type = sql_type;
  d.precision = precision;
  d.buffer_size = v.length > 0 ? v.length : 0;
  d.value = v;
  return d;
}

// A decoded value, written out so that both roads compare as text.
std::string Show(int16_t c_type, const uint8_t* b, int32_t n) {
  if (n < 0) return "NULL";
  auto be = [&](int at, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | b[at + i];
    return v;
  };
  char out[96];
  switch (c_type) {
    case kCTypeLong:
    case kCTypeSLong:
      return std::to_string(static_cast<int32_t>(be(0, 4)));
    case kCTypeULong:
      return std::to_string(static_cast<uint32_t>(be(0, 4)));
    case kCTypeShort:
    case kCTypeSShort:
      return std::to_string(static_cast<int16_t>(be(0, 2)));
    case kCTypeUShort:
      return std::to_string(static_cast<uint16_t>(be(0, 2)));
    case kCTypeFloat: {
      uint32_t bits = static_cast<uint32_t>(be(0, 4));
      float f;
      std::memcpy(&f, &bits, 4);
      std::snprintf(out, sizeof out, "%g", f);
      return out;
    }
    case kCTypeDouble: {
      uint64_t bits = be(0, 8);
      double d;
      std::memcpy(&d, &bits, 8);
      std::snprintf(out, sizeof out, "%.10g", d);
      return out;
    }
    case kCTypeDate:
      std::snprintf(out, sizeof out, "%04u-%02u-%02u", unsigned(be(0, 2)), unsigned(be(2, 2)),
                    unsigned(be(4, 2)));
      return out;
    case kCTypeTime:
      std::snprintf(out, sizeof out, "%02u:%02u:%02u", unsigned(be(0, 2)), unsigned(be(2, 2)),
                    unsigned(be(4, 2)));
      return out;
    case kCTypeTimestamp:
      std::snprintf(out, sizeof out, "%04u-%02u-%02u %02u:%02u:%02u.%u", unsigned(be(0, 2)),
                    unsigned(be(2, 2)), unsigned(be(4, 2)), unsigned(be(6, 2)), unsigned(be(8, 2)),
                    unsigned(be(10, 2)), unsigned(be(12, 4)));
      return out;
    case kCTypeBinary: {
      std::string hex;
      for (int32_t i = 0; i < n; ++i) {
        std::snprintf(out, sizeof out, "%02x", b[i]);
        hex += out;
      }
      return "x" + hex;
    }
    default:
      return std::string(reinterpret_cast<const char*>(b), static_cast<size_t>(n));
  }
}

using Row = std::vector<std::string>;

// One value of a single-row reply, as the client reads it; the bytes used.
size_t ReadRowValue(const uint8_t* p, size_t left, int16_t c_type, int32_t buffer, Row* row) {
  EXPECT_GE(left, 4u);
  if (left < 4) return left;
  int32_t n = static_cast<int32_t>((uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) |
                                   (uint32_t(p[2]) << 8) | p[3]);
  if (n < 0) {
    row->push_back("NULL");
    return 4;
  }
  EXPECT_LE(size_t(n), left - 4);
  // A text leaves room for the client's NUL; nothing exceeds the buffer.
  EXPECT_LE(n, c_type == kCTypeChar ? buffer - 1 : buffer) << "column " << row->size() + 1;
  row->push_back(Show(c_type, p + 4, n));
  return 4 + size_t(n);
}

// The next value of a column decoder, turned into the single-row layout
// (big-endian fields) the way the client's block road fills its slots.
std::string ExtractBlockValue(RowBlockDecoder* d, int16_t c_type, int32_t buffer) {
  uint8_t b[16] = {};
  switch (c_type) {
    case kCTypeLong:
    case kCTypeSLong:
    case kCTypeULong: {
      int32_t n = NextBlockValue(d, b, 16);
      if (n < 0) return "NULL";
      int64_t v = n == 0   ? 0
                  : n == 1 ? b[0] + 1
                  : n == 2 ? int64_t((b[0] << 8) | b[1]) - 5536
                           : int64_t(int32_t((uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) |
                                             (uint32_t(b[2]) << 8) | b[3]));
      EXPECT_TRUE(n == 0 || n == 1 || n == 2 || n == 4) << n;
      uint8_t be[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
      return Show(c_type, be, 4);
    }
    case kCTypeDouble: {
      int32_t n = NextBlockValue(d, b, 16);
      if (n < 0) return "NULL";
      EXPECT_LE(n, 8);
      for (int32_t i = n; i < 8 && n > 0; ++i) b[i] = b[n - 1];
      return Show(c_type, b, 8);
    }
    case kCTypeDate: {
      int32_t n = NextBlockValue(d, b, 16);
      if (n < 0) return "NULL";
      uint8_t be[6] = {b[0], b[1], 0, b[2], 0, b[3]};
      return Show(c_type, be, 6);
    }
    case kCTypeTime: {
      int32_t n = NextBlockValue(d, b, 16);
      if (n < 0) return "NULL";
      uint8_t be[6] = {0, b[0], 0, b[1], 0, b[2]};
      return Show(c_type, be, 6);
    }
    case kCTypeTimestamp: {
      int32_t n = NextBlockValue(d, b, 16);
      if (n < 0) return "NULL";
      uint8_t be[16] = {b[0], b[1], 0, b[2], 0,    b[3], 0,    b[4],
                        0,    b[5], 0, b[6], b[7], b[8], b[9], b[10]};
      return Show(c_type, be, 16);
    }
    case kCTypeShort:
    case kCTypeSShort:
    case kCTypeUShort:
    case kCTypeFloat: {
      int32_t n = NextBlockValue(d, b, 16);
      if (n < 0) return "NULL";
      if (c_type == kCTypeFloat && n == 0) std::memset(b, 0, 4);
      return Show(c_type, b, c_type == kCTypeFloat ? 4 : 2);
    }
    default: {
      std::vector<uint8_t> slot(static_cast<size_t>(buffer) + 1);
      int32_t n = NextBlockValue(d, slot.data(), buffer);
      if (n < 0) return "NULL";
      EXPECT_LE(n, c_type == kCTypeChar ? buffer - 1 : buffer);
      return Show(c_type, slot.data(), std::min(n, buffer));
    }
  }
}

// ---- one logged-in statement ------------------------------------------------

class Client {
 public:
  Client(uint16_t port, const std::string& server_dsn)
      : login_("127.0.0.1." + std::to_string(port),
               "DSN=x;ServerName=127.0.0.1;ServerDSN=" + server_dsn +
                   ";UID=" + (IsPostgres(server_dsn) ? PrivatePostgres::kUser : "") +
                   ";PWD=;ArrayFetchOn=1;ArrayBufferSize=" +
                   std::to_string(kArrayBufferBytes / 1024) + ";") {
    if ((login_.status == 0 || login_.status == 1) && login_.conn != nullptr)
      _rpcLnaAllocStmtSP(&login_.conn, login_.server_conn, &stmt_);
  }
  ~Client() {
    if (login_.conn != nullptr) _rpcLnaDisconnectSP(&login_.conn, login_.server_conn);
  }

  bool ok() const { return stmt_ != 0; }
  const StubLogin& login() const { return login_; }
  RpcConnection** conn() { return &login_.conn; }
  int32_t stmt() const { return stmt_; }
  int32_t server_conn() const { return login_.server_conn; }

  // Direct execution (13): the status; row count and columns kept.
  int16_t Exec(const std::string& sql, const std::vector<LnaDescriptor>& in = {},
               const std::vector<LnaDescriptor>& out = {},
               std::vector<LnaDescriptor>* back = nullptr) {
    LnaColumnDesc* columns = nullptr;
    LnaParamDesc* params = nullptr;
    uint16_t param_count = 0;
    LnaDescList returned{};
    LnaDescList inputs{static_cast<uint16_t>(in.size()), const_cast<LnaDescriptor*>(in.data())};
    LnaDescList outputs{static_cast<uint16_t>(out.size()), const_cast<LnaDescriptor*>(out.data())};
    int16_t status =
        _rpcLnaExecDirectMP(conn(), stmt_, sql.c_str(), &inputs, &outputs, 0, &columns,
                            &column_count_, &params, &param_count, &returned, &row_count_);
    Keep(columns);
    MemFree(params);
    if (back != nullptr) back->assign(returned.descs, returned.descs + returned.count);
    for (uint16_t i = 0; i < returned.count; ++i) {
      // Copies hold no payload pointers past this point.
      if (back != nullptr && (*back)[i].value.c_type == kCTypeChar && (*back)[i].value.length >= 0)
        texts_.push_back(std::string((*back)[i].value.value.text, size_t((*back)[i].value.length)));
    }
    XdrFreeDescList(&returned);
    return status;
  }

  // Direct execution with the first row block (49).
  int16_t ExecArray(const std::string& sql, LnaRowBlock* block) {
    LnaColumnDesc* columns = nullptr;
    LnaParamDesc* params = nullptr;
    uint16_t param_count = 0;
    LnaDescList returned{};
    int16_t status = _rpcLnaExecDirectArrayMP(conn(), stmt_, sql.c_str(), nullptr, nullptr, 0,
                                              &columns, &column_count_, &params, &param_count,
                                              &returned, &row_count_, block);
    Keep(columns);
    MemFree(params);
    XdrFreeDescList(&returned);
    return status;
  }

  int32_t row_count() const { return row_count_; }
  const std::vector<LnaColumnDesc>& columns() const { return columns_; }
  const std::vector<std::string>& texts() const { return texts_; }

  // Single-row fetches until the end of the result.
  std::vector<Row> FetchRows(const std::vector<LnaFetchRequest>& requests) {
    std::vector<Row> rows;
    for (int guard = 0; guard < 100000; ++guard) {
      LnaSizedRow reply{};
      int16_t status = _rpcLnaFetchSP(conn(), stmt_, 0, static_cast<uint16_t>(requests.size()),
                                      requests.data(), &reply);
      if (status == -16) {
        XdrFreeSizedRow(&reply);
        break;
      }
      EXPECT_TRUE(status == 0 || status == 1) << status;
      if (status != 0 && status != 1) {
        XdrFreeSizedRow(&reply);
        break;
      }
      Row row;
      size_t at = 0;
      for (const LnaFetchRequest& r : requests) {
        if (r.length == 0) continue;
        at += ReadRowValue(reply.bytes + at, reply.data_length - at, r.c_type, r.length, &row);
      }
      EXPECT_EQ(at, reply.data_length);
      XdrFreeSizedRow(&reply);
      rows.push_back(row);
    }
    return rows;
  }

  // Block fetches until a block ends the result, decoded column by column
  // with decoders that live as long as the result, as the client's do.
  // `first` is a block that came with the execution, if any.
  struct BlockStats {
    int blocks = 0;
    int compressed = 0;
    size_t largest = 0;
  };
  std::vector<Row> FetchBlocks(const std::vector<LnaFetchRequest>& requests,
                               LnaRowBlock* first = nullptr, BlockStats* stats = nullptr) {
    std::vector<RowBlockDecoder> decoders(requests.size(), RowBlockDecoder{});
    std::vector<Row> rows;
    bool use_first = first != nullptr && first->count > 0;
    int16_t block_status = 0;
    for (int guard = 0; guard < 10000 && block_status == 0; ++guard) {
      if (!use_first) {
        int16_t status = NextBlock(requests, &decoders, &rows, &block_status, stats);
        EXPECT_TRUE(status == 0 || status == 1 || status == -16) << status;
        if (status != 0 && status != 1) break;
        continue;
      }
      LnaRowBlock block = *first;
      *first = LnaRowBlock{};
      use_first = false;
      DecodeBlock(requests, &block, &decoders, &rows, &block_status, stats);
    }
    for (RowBlockDecoder& d : decoders) FreeRowBlock(&d);
    return rows;
  }

  // One block by procedure 2, its rows decoded onto `rows` with `decoders`
  // (one per request, living as long as the result); the reply's status.
  int16_t NextBlock(const std::vector<LnaFetchRequest>& requests,
                    std::vector<RowBlockDecoder>* decoders, std::vector<Row>* rows,
                    int16_t* block_status, BlockStats* stats = nullptr) {
    LnaRowBlock block{};
    int16_t status = _rpcLnaFetchBlockSP(conn(), stmt_, 0, static_cast<uint16_t>(requests.size()),
                                         requests.data(), &block);
    *block_status = block.status;
    if (status != 0 && status != 1) {
      XdrFreeRowBlock(&block);
      return status;
    }
    DecodeBlock(requests, &block, decoders, rows, block_status, stats);
    return status;
  }

  // Decodes and frees a block.
  void DecodeBlock(const std::vector<LnaFetchRequest>& requests, LnaRowBlock* block_in,
                   std::vector<RowBlockDecoder>* decoders_in, std::vector<Row>* rows,
                   int16_t* block_status, BlockStats* stats) {
    BlockStats ignored;
    if (stats == nullptr) stats = &ignored;
    std::vector<RowBlockDecoder>& decoders = *decoders_in;
    LnaRowBlock& block = *block_in;
    size_t n = requests.size();
    EXPECT_EQ(block.count % n, 0u);  // whole rows
    size_t block_rows = block.count / n;
    if (block_rows > 0) {
      ++stats->blocks;
      stats->largest = std::max<size_t>(stats->largest, block.data_length);
    }
    uint32_t at = 0;
    for (size_t c = 0; c < n && block_rows > 0; ++c) {
      uint32_t used = 0;
      EXPECT_TRUE(DecodeRowBlock(&decoders[c], block.bytes + at, block.data_length - at,
                                 static_cast<uint32_t>(block_rows), &used, block.status != 0))
          << "block " << stats->blocks << " column " << c;
      if (decoders[c].owns_value_data) ++stats->compressed;
      at += used;
    }
    EXPECT_EQ(at, block.data_length);
    for (size_t r = 0; r < block_rows; ++r) {
      Row row;
      for (size_t c = 0; c < n; ++c)
        row.push_back(ExtractBlockValue(&decoders[c], requests[c].c_type, requests[c].length));
      rows->push_back(row);
    }
    *block_status = block.status;
    XdrFreeRowBlock(&block);
  }

  // Procedure 12 on the statement: the SQLSTATEs waiting.
  std::vector<std::string> Errors() {
    LnaDiagRecord records[kGetErrorsMaxRecords];
    uint16_t count = 0;
    std::vector<std::string> out;
    if (_rpcLnaGetErrorsSP(conn(), login_.server_conn, stmt_, records, &count) == 0) {
      for (uint16_t i = 0; i < count; ++i) out.push_back(records[i].sqlstate);
    }
    return out;
  }

 private:
  void Keep(LnaColumnDesc* columns) {
    if (columns != nullptr) columns_.assign(columns, columns + column_count_);
    MemFree(columns);
  }

  StubLogin login_;
  int32_t stmt_ = 0;
  uint16_t column_count_ = 0;
  int32_t row_count_ = 0;
  std::vector<LnaColumnDesc> columns_;
  std::vector<std::string> texts_;
};

class StatementTest : public ::testing::TestWithParam<Database> {
 protected:
  void SetUp() override {
    if (GetParam().postgres && Postgres() == nullptr)
      GTEST_SKIP() << "PostgreSQL could not be started here: " << PostgresError();
    listener_ = std::make_unique<velsrv::Listener>(Config(GetParam().name), backend_);
    std::string error;
    ASSERT_TRUE(listener_->Open(&error)) << error;
    listener_->Start();
    client_ = std::make_unique<Client>(listener_->port(), GetParam().name);
    ASSERT_TRUE(client_->ok());
  }
  void TearDown() override {
    client_.reset();
    if (listener_) listener_->Stop();
  }

  // Executes and insists on success.
  void Must(const std::string& sql, const std::vector<LnaDescriptor>& in = {}) {
    int16_t status = client_->Exec(sql, in);
    ASSERT_TRUE(status == 0 || status == 1)
        << sql << ": " << status << " " << (client_->Errors().empty() ? "" : client_->Errors()[0]);
  }

  velsrv::OdbcBackend backend_;
  std::unique_ptr<velsrv::Listener> listener_;
  std::unique_ptr<Client> client_;
};

INSTANTIATE_TEST_SUITE_P(Backends, StatementTest,
                         ::testing::Values(kSqlite, kSqliteStep, kPostgres, kPostgresCursor),
                         [](const auto& info) { return std::string(info.param.name); });

// The C types the client reads the table's columns in.
const std::vector<LnaFetchRequest> kEveryTypeColumns = {
    {kCTypeLong, 4, 0},   {kCTypeLong, 4, 0},       {kCTypeChar, 41, 0},
    {kCTypeDouble, 8, 0}, {kCTypeFloat, 4, 0},      {kCTypeDate, 6, 0},
    {kCTypeTime, 6, 0},   {kCTypeTimestamp, 16, 0}, {kCTypeBinary, 16, 0}};

TEST_P(StatementTest, ParametersOfEveryCTypeComeBackByRowAndByBlock) {
  Must("DROP TABLE IF EXISTS every_type");
  Must(std::string("CREATE TABLE every_type (k INTEGER PRIMARY KEY, n INTEGER, s VARCHAR(40), "
                   "f DOUBLE PRECISION, r REAL, d DATE, t TIME, ts TIMESTAMP, b ") +
       GetParam().binary_type + ")");
  struct Case {
    LnaTypedValue n;  // the integer column, in the C type under test
    const char* shown;
  };
  Arena arena;
  const Case cases[] = {
      {Number(kCTypeLong, 70000), "70000"},
      {Number(kCTypeSLong, -123456), "-123456"},
      {Number(kCTypeULong, 42), "42"},
      {Number(kCTypeShort, -300), "-300"},
      {Number(kCTypeSShort, 255), "255"},
      {Number(kCTypeUShort, 60001), "60001"},
      {Number(kCTypeTinyInt, -5), "-5"},
      {Number(kCTypeSTinyInt, -100), "-100"},
      {Number(kCTypeUTinyInt, 200), "200"},
      {Number(kCTypeBit, 1), "1"},
      {Text(arena, "77"), "77"},
      {Real(kCTypeDouble, 9), "9"},
      {Real(kCTypeFloat, -2), "-2"},
      {Number(kCTypeLong, 0), "0"},
      {Number(kCTypeLong, 256), "256"},
      {Number(kCTypeLong, -5536), "-5536"},
      {Number(kCTypeLong, 60000), "60000"},
      {Null(kCTypeLong), "NULL"},
  };
  std::vector<Row> expected;
  int k = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    ++k;
    std::string s = k % 5 == 0 ? "" : "text " + std::to_string(k);
    std::vector<LnaDescriptor> in = {
        Param(1, 4, 10, Number(kCTypeLong, k)),
        Param(2, 4, 10, c.n),
        Param(3, 12, 40, Text(arena, s)),
        Param(4, 8, 15, Real(kCTypeDouble, 1.0 / k)),
        Param(5, 7, 7, Real(kCTypeFloat, k + 0.5)),
        Param(6, 9, 10, DateOrTime(kCTypeDate, 1999, 12, uint16_t(k))),
        Param(7, 10, 8, DateOrTime(kCTypeTime, 23, 59, uint16_t(k))),
        Param(8, 11, 19, Stamp({2026, 12, 10, 13, uint16_t(k), 58, 0})),
        Param(9, -3, 16, Text(arena, std::string("\x00\xff", 2) + char(k), kCTypeBinary)),
    };
    if (k == 7) {  // a row of nulls
      for (size_t i = 2; i < in.size(); ++i) in[i].value = Null(in[i].value.c_type);
    }
    ASSERT_NO_FATAL_FAILURE(Must("INSERT INTO every_type VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)", in));
    EXPECT_EQ(client_->row_count(), 1);
    char f[32], r[32], d[16], t[16], ts[40], b[16];
    std::snprintf(f, sizeof f, "%.10g", 1.0 / k);
    std::snprintf(r, sizeof r, "%g", k + 0.5);
    std::snprintf(d, sizeof d, "1999-12-%02d", k);
    std::snprintf(t, sizeof t, "23:59:%02d", k);
    std::snprintf(ts, sizeof ts, "2026-12-10 13:%02d:58.0", k);
    std::snprintf(b, sizeof b, "x00ff%02x", k);
    if (k == 7) {
      expected.push_back(
          {std::to_string(k), c.shown, "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL"});
    } else {
      expected.push_back({std::to_string(k), c.shown, s, f, r, d, t, ts, b});
    }
  }

  const std::string select = "SELECT k, n, s, f, r, d, t, ts, b FROM every_type ORDER BY k";
  ASSERT_EQ(client_->Exec(select), 0);
  ASSERT_EQ(client_->columns().size(), 9u);
  EXPECT_EQ(client_->FetchRows(kEveryTypeColumns), expected);

  ASSERT_EQ(client_->Exec(select), 0);
  EXPECT_EQ(client_->FetchBlocks(kEveryTypeColumns), expected);

  // The first block comes with the execution, in the shapes the client
  // takes from the column descriptions.
  LnaRowBlock first{};
  ASSERT_EQ(client_->ExecArray("SELECT k, n, s, d, ts FROM every_type ORDER BY k", &first), 0);
  std::vector<LnaFetchRequest> shapes;
  for (const LnaColumnDesc& c : client_->columns()) shapes.push_back(velsrv::ClientFetchShape(c));
  std::vector<Row> rows = client_->FetchBlocks(shapes, &first);
  XdrFreeRowBlock(&first);
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][0], expected[i][0]);
    EXPECT_EQ(rows[i][2], expected[i][2]);
  }
}

TEST_P(StatementTest, ManyBlocksCompressWhenItPaysAndStartAfreshOnReexecution) {
  Must("DROP TABLE IF EXISTS many");
  Must("CREATE TABLE many (id INTEGER, s VARCHAR(60))");
  Arena arena;
  std::vector<Row> expected;
  // One transaction for the rows: far quicker than one each.
  LnaTypedValue off = Number(kCTypeLong, 0);
  ASSERT_EQ(_rpcLnaSetConnectOptionMP(client_->conn(),
                                      {client_->server_conn(), 102, WireValue::Refer(off)}),
            0);
  for (int i = 1; i <= 600; ++i) {
    std::string s = i % 7 == 0    ? ""
                    : i % 11 == 0 ? "NULL"
                                  : "a fairly repetitive text for row " + std::to_string(i % 13);
    std::vector<LnaDescriptor> in = {
        Param(1, 4, 10, Number(kCTypeLong, i * 997 - 40000)),
        Param(2, 12, 60, s == "NULL" ? Null(kCTypeChar) : Text(arena, s))};
    ASSERT_NO_FATAL_FAILURE(Must("INSERT INTO many VALUES (?, ?)", in));
    expected.push_back({std::to_string(i * 997 - 40000), s});
  }
  ASSERT_EQ(_rpcLnaTransactSP(client_->conn(), client_->server_conn(), 0), 0);
  const std::vector<LnaFetchRequest> requests = {{kCTypeLong, 4, 0}, {kCTypeChar, 61, 0}};
  const std::string select = "SELECT id, s FROM many ORDER BY id";

  ASSERT_EQ(client_->Exec(select), 0);
  Client::BlockStats stats;
  EXPECT_EQ(client_->FetchBlocks(requests, nullptr, &stats), expected);
  EXPECT_GE(stats.blocks, 3);
  EXPECT_GT(stats.compressed, 0);
  EXPECT_LE(stats.largest, kArrayBufferBytes);

  // Two blocks, then a new execution: its first block must decode with the
  // fresh decoders of a new result (no statistics of the old one).
  ASSERT_EQ(client_->Exec(select), 0);
  LnaRowBlock block{};
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(_rpcLnaFetchBlockSP(client_->conn(), client_->stmt(), 0, 2, requests.data(), &block),
              0);
    XdrFreeRowBlock(&block);
  }
  ASSERT_EQ(client_->Exec(select), 0);
  EXPECT_EQ(client_->FetchBlocks(requests), expected);

  // A closed cursor has no rows to give.
  ASSERT_EQ(_rpcLnaFreeStmtSP(client_->conn(), client_->stmt(), 0), 0);
  EXPECT_EQ(_rpcLnaFetchBlockSP(client_->conn(), client_->stmt(), 0, 2, requests.data(), &block),
            -20);
  XdrFreeRowBlock(&block);
  EXPECT_EQ(client_->Errors(), std::vector<std::string>{"24000"});

  // A server told not to compress sends the same rows, every block plain.
  client_.reset();
  listener_->Stop();
  velsrv::ServerConfig plain = Config(GetParam().name);
  plain.compress = false;
  listener_ = std::make_unique<velsrv::Listener>(plain, backend_);
  std::string error;
  ASSERT_TRUE(listener_->Open(&error)) << error;
  listener_->Start();
  client_ = std::make_unique<Client>(listener_->port(), GetParam().name);
  ASSERT_TRUE(client_->ok());
  ASSERT_EQ(client_->Exec(select), 0);
  stats = Client::BlockStats{};
  EXPECT_EQ(client_->FetchBlocks(requests, nullptr, &stats), expected);
  EXPECT_GE(stats.blocks, 3);
  EXPECT_EQ(stats.compressed, 0);
}

TEST_P(StatementTest, DataAtExecutionInPiecesComesBackAsLongData) {
  Must("DROP TABLE IF EXISTS longs");
  Must("CREATE TABLE longs (id INTEGER, body TEXT)");
  std::string body;
  for (int i = 0; body.size() < 70000; ++i) body += "piece " + std::to_string(i) + "; ";
  LnaColumnDesc* columns = nullptr;
  LnaParamDesc* params = nullptr;
  uint16_t column_count = 0, param_count = 0;
  ASSERT_EQ(_rpcLnaPrepareMP(client_->conn(), client_->stmt(), "INSERT INTO longs VALUES (?, ?)", 0,
                             &columns, &column_count, &params, &param_count),
            0);
  EXPECT_EQ(param_count, 2);  // described, or counted when the backend cannot
  MemFree(columns);
  MemFree(params);

  Arena arena;
  LnaTypedValue at_exec{};
  at_exec.c_type = kCTypeChar;
  at_exec.length = -100 - static_cast<int32_t>(body.size());
  std::vector<LnaDescriptor> in = {Param(1, 4, 10, Number(kCTypeLong, 1)),
                                   Param(2, -1, 1000000, at_exec)};
  LnaDescList inputs{2, in.data()};
  LnaDescList returned{};
  int32_t rows = 0;
  ASSERT_EQ(
      _rpcLnaExecuteMP(client_->conn(), client_->stmt(), &inputs, nullptr, 0, &returned, &rows),
      -15);
  XdrFreeDescList(&returned);
  int32_t result = 0;
  ASSERT_EQ(_rpcLnaParamDataSP(client_->conn(), client_->stmt(), &result), -15);
  for (size_t at = 0; at < body.size(); at += 32250) {
    LnaTypedValue piece = Text(arena, body.substr(at, 32250));
    ASSERT_EQ(_rpcLnaPutLongDataSP(client_->conn(), client_->stmt(), &piece, 0), 0);
  }
  ASSERT_EQ(_rpcLnaParamDataSP(client_->conn(), client_->stmt(), &result), 0);
  EXPECT_EQ(result, 1);
  // Nothing waits for data any more.
  EXPECT_EQ(_rpcLnaParamDataSP(client_->conn(), client_->stmt(), &result), -20);
  EXPECT_EQ(client_->Errors(), std::vector<std::string>{"S1010"});

  // The long column is left out of the row and read piece by piece.
  ASSERT_EQ(client_->Exec("SELECT id, body FROM longs"), 0);
  std::vector<LnaFetchRequest> requests = {{kCTypeLong, 4, 0}, {kCTypeChar, 0, 1}};
  LnaSizedRow row{};
  ASSERT_EQ(_rpcLnaFetchSP(client_->conn(), client_->stmt(), 0, 2, requests.data(), &row), 0);
  EXPECT_EQ(row.data_length, 8u);
  XdrFreeSizedRow(&row);
  std::string back;
  int16_t status = 1;
  int pieces = 0;
  while (status == 1 && pieces < 100) {
    LnaTypedValue v{};
    int32_t length = 0;
    status = _rpcLnaGetLongDataSP(client_->conn(), client_->stmt(), 2, kCTypeChar, 32250, 0, &v,
                                  &length);
    ++pieces;
    ASSERT_TRUE(status == 0 || status == 1) << status;
    ASSERT_EQ(v.c_type, kCTypeChar);
    EXPECT_LE(v.length, 32249);  // room for the client's NUL
    EXPECT_GE(length, v.length);
    back.append(v.value.text, static_cast<size_t>(v.length));
    XdrFreeTypedValue(&v);
    if (status == 1) {
      EXPECT_EQ(client_->Errors(), std::vector<std::string>{"01004"});
    }
  }
  EXPECT_EQ(pieces, 3);
  EXPECT_EQ(back, body);
  LnaTypedValue v{};
  int32_t length = 0;
  EXPECT_EQ(
      _rpcLnaGetLongDataSP(client_->conn(), client_->stmt(), 2, kCTypeChar, 32250, 0, &v, &length),
      -16);
  XdrFreeTypedValue(&v);
}

// Texts longer than the client's buffer come whole. One longer than a
// column block carries ends its block with status 1; its rest comes by
// procedure 21 from the row the server keeps, and the rows after it follow
// in the next blocks.
TEST_P(StatementTest, AValueTooLongForABlockEndsItAndContinuesAsLongData) {
  std::string longest;
  for (int i = 0; i < 120000; ++i) longest += static_cast<char>('a' + i % 26);
  const std::vector<std::string> values = {std::string(300, 's'), longest, "tail"};
  Must("DROP TABLE IF EXISTS wide");
  Must("CREATE TABLE wide (id INTEGER, v TEXT)");
  for (size_t i = 0; i < values.size(); ++i) {
    Arena arena;
    Must("INSERT INTO wide VALUES (" + std::to_string(i) + ", ?)",
         {Param(1, -1, static_cast<int32_t>(values[i].size()), Text(arena, values[i]))});
  }
  const std::vector<LnaFetchRequest> requests = {{kCTypeChar, 11, 0}};

  // Single rows carry every value whole.
  ASSERT_EQ(client_->Exec("SELECT v FROM wide ORDER BY id"), 0);
  std::vector<Row> rows;
  for (int guard = 0; guard < 10; ++guard) {
    LnaSizedRow reply{};
    int16_t status =
        _rpcLnaFetchSP(client_->conn(), client_->stmt(), 0, 1, requests.data(), &reply);
    if (status == -16 || status != 0 || reply.data_length < 4) {
      XdrFreeSizedRow(&reply);
      EXPECT_EQ(status, -16);
      break;
    }
    rows.push_back(
        {std::string(reinterpret_cast<const char*>(reply.bytes) + 4, reply.data_length - 4)});
    XdrFreeSizedRow(&reply);
  }
  EXPECT_EQ(rows, (std::vector<Row>{{values[0]}, {values[1]}, {values[2]}}));

  ASSERT_EQ(client_->Exec("SELECT v FROM wide ORDER BY id"), 0);
  RowBlockDecoder decoder{};
  // The block's status and the texts it carries.
  auto next_block = [&](int16_t* block_status) {
    LnaRowBlock block{};
    EXPECT_EQ(_rpcLnaFetchBlockSP(client_->conn(), client_->stmt(), 0, 1, requests.data(), &block),
              0);
    *block_status = block.status;
    std::vector<std::string> texts;
    uint32_t used = 0;
    if (block.count > 0) {
      EXPECT_TRUE(DecodeRowBlock(&decoder, block.bytes, block.data_length, block.count, &used,
                                 block.status != 0));
    }
    for (uint16_t i = 0; i < block.count; ++i) {
      const uint8_t* at = nullptr;
      int32_t n = NextBlockValueView(&decoder, &at);
      texts.push_back(n < 0 ? "NULL" : std::string(reinterpret_cast<const char*>(at), size_t(n)));
    }
    XdrFreeRowBlock(&block);
    return texts;
  };
  int16_t block_status = 0;
  EXPECT_EQ(next_block(&block_status), std::vector<std::string>{values[0]});
  EXPECT_EQ(block_status, 0);
  EXPECT_EQ(next_block(&block_status), std::vector<std::string>{longest.substr(0, kMaxBlockValue)});
  EXPECT_EQ(block_status, 1);

  auto piece = [&](int16_t c_type, int32_t* rest) {
    LnaTypedValue v{};
    int16_t status =
        _rpcLnaGetLongDataSP(client_->conn(), client_->stmt(), 1, c_type, 1 << 20, 0, &v, rest);
    std::string text =
        status == 0 && v.length > 0 ? std::string(v.value.text, size_t(v.length)) : "";
    XdrFreeTypedValue(&v);
    return std::make_pair(status, text);
  };
  int32_t rest = 0;
  // The rest comes in the C type the block carried the value in.
  EXPECT_EQ(piece(kCTypeBinary, &rest).first, -20);
  EXPECT_EQ(client_->Errors(), std::vector<std::string>{"07006"});
  EXPECT_EQ(piece(kCTypeChar, &rest), std::make_pair(int16_t{0}, longest.substr(kMaxBlockValue)));
  EXPECT_EQ(rest, static_cast<int32_t>(longest.size() - kMaxBlockValue));
  EXPECT_EQ(piece(kCTypeChar, &rest).first, -16);

  EXPECT_EQ(next_block(&block_status), std::vector<std::string>{values[2]});
  EXPECT_EQ(block_status, -16);
  FreeRowBlock(&decoder);
}

TEST_P(StatementTest, ChangesCountTheirRowsAndFailuresLeaveTheBackendsDiagnostics) {
  Must("DROP TABLE IF EXISTS counted");
  Must("CREATE TABLE counted (id INTEGER PRIMARY KEY, v INTEGER)");
  Must("INSERT INTO counted VALUES (1, 1), (2, 2), (3, 3), (4, 4)");
  EXPECT_EQ(client_->row_count(), 4);
  struct Case {
    const char* sql;
    int16_t status;
    int32_t rows;
    const char* sqlstate_class;  // the first diagnostic's
  };
  const Case cases[] = {
      {"UPDATE counted SET v = v + 1 WHERE id < 4", 0, 3, nullptr},
      {"UPDATE counted SET v = 0 WHERE id > 100", 0, 0, nullptr},
      {"DELETE FROM counted WHERE id >= 3", 0, 2, nullptr},
      {"SELEKT * FROM counted", -20, 0, ""},
      {"INSERT INTO counted VALUES (1, 9)", -20, 0, GetParam().constraint_sqlstate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(client_->Exec(c.sql), c.status);
    std::vector<std::string> diags = client_->Errors();
    if (c.sqlstate_class == nullptr) {
      EXPECT_EQ(client_->row_count(), c.rows);
      EXPECT_TRUE(diags.empty());
    } else {
      ASSERT_FALSE(diags.empty());
      EXPECT_EQ(diags[0].size(), 5u);
      EXPECT_EQ(diags[0].rfind(c.sqlstate_class, 0), 0u) << diags[0];
    }
  }
}

TEST_P(StatementTest, CatalogResultsAreFetchedLikeQueries) {
  Must("DROP TABLE IF EXISTS listed_table");
  Must("CREATE TABLE listed_table (id INTEGER)");
  LnaColumnDesc* columns = nullptr;
  uint16_t count = 0;
  CatalogRequest tables{.procedure = kRpcTables,
                        .statement = client_->stmt(),
                        .names = {std::nullopt, std::nullopt, "listed_table"}};
  ASSERT_EQ(_rpcLnaCatalogSP(client_->conn(), tables, &columns, &count), 0);
  MemFree(columns);
  ASSERT_GE(count, 5);
  std::vector<LnaFetchRequest> requests(count, LnaFetchRequest{kCTypeChar, 129, 0});
  std::vector<Row> rows = client_->FetchBlocks(requests);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][2], "listed_table");
}

// Logins at once: the backend's connect and type calls are not all safe on
// several threads (the sanitizer build is what catches one that is not), and
// a login whose type table came out without text could read no text column.
TEST_P(StatementTest, ConcurrentLoginsEachGetWholeTypesAndReadText) {
  constexpr int kThreads = 12;
  constexpr int kLoginsEach = 3;
  std::atomic<int> good{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLoginsEach; ++i) {
        Client c(listener_->port(), GetParam().name);
        if (!c.ok()) continue;
        bool varchar = false;
        for (uint16_t k = 0; k < c.login().type_count; ++k)
          varchar = varchar || c.login().types[k].sql_type == 12;
        std::string text = "t" + std::to_string(t) + "-" + std::to_string(i);
        int16_t status = c.Exec("SELECT '" + text + "'");
        if (!varchar || (status != 0 && status != 1)) continue;
        std::vector<Row> rows = c.FetchRows({{kCTypeChar, 41, 0}});
        if (rows.size() == 1 && rows[0].size() == 1 && rows[0][0] == text) ++good;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(good.load(), kThreads * kLoginsEach);
}

// Rows numbered from 1 in a table of their own, for reading block by block.
std::vector<Row> FillNumbered(Client& client, const std::string& table, int count) {
  std::vector<Row> rows;
  LnaTypedValue off = Number(kCTypeLong, 0);
  LnaTypedValue on = Number(kCTypeLong, 1);
  auto run = [&](const std::string& sql, const std::vector<LnaDescriptor>& in) {
    int16_t status = client.Exec(sql, in);
    return status == 0 || status == 1;
  };
  bool ok = run("DROP TABLE IF EXISTS " + table, {}) &&
            run("CREATE TABLE " + table + " (id INTEGER, s VARCHAR(40))", {}) &&
            _rpcLnaSetConnectOptionMP(client.conn(),
                                      {client.server_conn(), 102, WireValue::Refer(off)}) == 0;
  Arena arena;
  for (int i = 1; ok && i <= count; ++i) {
    std::string s = "row " + std::to_string(i) + " of " + table;
    ok = run("INSERT INTO " + table + " VALUES (?, ?)",
             {Param(1, 4, 10, Number(kCTypeLong, i)), Param(2, 12, 40, Text(arena, s))});
    rows.push_back({std::to_string(i), s});
  }
  ok = ok && _rpcLnaTransactSP(client.conn(), client.server_conn(), 0) == 0 &&
       _rpcLnaSetConnectOptionMP(client.conn(),
                                 {client.server_conn(), 102, WireValue::Refer(on)}) == 0;
  EXPECT_TRUE(ok) << table;
  return ok ? rows : std::vector<Row>{};
}

// While the client decodes a block the server builds the next one. Whatever
// the client asks before it takes that block, every row comes once and in
// order (its decoders still reading the blocks that follow), and a closed or
// cancelled result has no rows left.
TEST_P(StatementTest, WhatComesBetweenTwoBlocksSeesEveryRowOnceInOrder) {
  const std::vector<Row> expected = FillNumbered(*client_, "ahead", 1200);
  ASSERT_FALSE(expected.empty());
  const std::string select = "SELECT id, s FROM ahead ORDER BY id";
  enum class Between {
    kNothing,
    kOption,
    kUnbind,
    kRows,
    kRowThenBlocks,
    kOtherLength,
    kOtherCType,
    kClose,
    kCancel
  };
  const std::pair<const char*, Between> cases[] = {
      {"nothing", Between::kNothing},
      {"a statement option", Between::kOption},
      {"the client unbinding its columns", Between::kUnbind},
      {"single rows to the end", Between::kRows},
      {"one single row", Between::kRowThenBlocks},
      {"blocks of another length", Between::kOtherLength},
      {"a block in another C type", Between::kOtherCType},
      {"closing the cursor", Between::kClose},
      {"cancelling", Between::kCancel},
  };
  for (const auto& [name, between] : cases) {
    SCOPED_TRACE(name);
    LnaRowBlock first{};
    ASSERT_EQ(client_->ExecArray(select, &first), 0);
    std::vector<LnaFetchRequest> requests;
    for (const LnaColumnDesc& c : client_->columns())
      requests.push_back(velsrv::ClientFetchShape(c));
    ASSERT_EQ(requests.size(), 2u);
    std::vector<RowBlockDecoder> decoders(2, RowBlockDecoder{});
    std::vector<Row> rows;
    int16_t block_status = -1;
    client_->DecodeBlock(requests, &first, &decoders, &rows, &block_status, nullptr);
    ASSERT_EQ(block_status, 0);
    ASSERT_LT(rows.size(), expected.size() / 3);
    // Time for the server to build the next block; the rows must be right
    // whether it has or not.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    LnaRowBlock block{};
    switch (between) {
      case Between::kNothing:
        break;
      case Between::kOption: {
        LnaTypedValue v{};
        EXPECT_EQ(_rpcLnaGetStmtOptionSP(client_->conn(), {client_->stmt(), 0}, &v), 0);
        XdrFreeTypedValue(&v);
        break;
      }
      case Between::kUnbind:
        EXPECT_EQ(_rpcLnaFreeStmtSP(client_->conn(), client_->stmt(), 2), 0);
        break;
      case Between::kRows:
        for (Row& row : client_->FetchRows(requests)) rows.push_back(row);
        block_status = -16;
        break;
      case Between::kRowThenBlocks: {
        LnaSizedRow reply{};
        ASSERT_EQ(_rpcLnaFetchSP(client_->conn(), client_->stmt(), 0, 2, requests.data(), &reply),
                  0);
        Row row;
        size_t at = ReadRowValue(reply.bytes, reply.data_length, requests[0].c_type,
                                 requests[0].length, &row);
        ReadRowValue(reply.bytes + at, reply.data_length - at, requests[1].c_type,
                     requests[1].length, &row);
        XdrFreeSizedRow(&reply);
        rows.push_back(row);
        break;
      }
      case Between::kOtherLength:
        requests[1].length = 33;
        break;
      case Between::kOtherCType: {
        const LnaFetchRequest as_text[] = {{kCTypeChar, 12, 0}, requests[1]};
        EXPECT_EQ(_rpcLnaFetchBlockSP(client_->conn(), client_->stmt(), 0, 2, as_text, &block),
                  -20);
        XdrFreeRowBlock(&block);
        EXPECT_EQ(client_->Errors(), std::vector<std::string>{"S1000"});
        break;
      }
      case Between::kClose:
      case Between::kCancel:
        EXPECT_EQ(between == Between::kClose
                      ? _rpcLnaFreeStmtSP(client_->conn(), client_->stmt(), 0)
                      : _rpcLnaCancelSP(client_->conn(), client_->stmt()),
                  0);
        EXPECT_EQ(
            _rpcLnaFetchBlockSP(client_->conn(), client_->stmt(), 0, 2, requests.data(), &block),
            -20);
        XdrFreeRowBlock(&block);
        EXPECT_EQ(client_->Errors(), std::vector<std::string>{"24000"});
        for (RowBlockDecoder& d : decoders) FreeRowBlock(&d);
        continue;
    }
    for (int guard = 0; guard < 1000 && block_status == 0; ++guard) {
      int16_t status = client_->NextBlock(requests, &decoders, &rows, &block_status);
      ASSERT_TRUE(status == 0 || status == -16) << status;
    }
    EXPECT_EQ(block_status, -16);
    EXPECT_EQ(rows, expected);
    for (RowBlockDecoder& d : decoders) FreeRowBlock(&d);
  }
  // After all that, the statement reads its result whole.
  ASSERT_EQ(client_->Exec(select), 0);
  EXPECT_EQ(client_->FetchBlocks({{kCTypeLong, 4, 0}, {kCTypeChar, 41, 0}}), expected);
}

// A failure the backend meets on a later row belongs to the block that
// would have carried that row: the blocks before it come without a
// diagnostic, even when the server met the failure while building ahead.
TEST_P(StatementTest, AFailureOnALaterRowWaitsForItsBlock) {
  const std::vector<Row> numbered = FillNumbered(*client_, "failing", 1200);
  ASSERT_FALSE(numbered.empty());
  // Row `failing` cannot be computed (none when 0). Unsorted: a sort would
  // compute every row at once.
  auto select = [&](size_t failing) {
    std::string f = std::to_string(failing);
    return GetParam().postgres ? "SELECT id, 1 / (id - " + f + ") FROM failing"
                               : "SELECT id, CASE WHEN id = " + f +
                                     " THEN abs(-9223372036854775807 - 1) ELSE id END FROM failing";
  };
  // Where the first block ends when no row fails: the failure is made the
  // first row of the second block, the one built ahead.
  LnaRowBlock first{};
  ASSERT_EQ(client_->ExecArray(select(0), &first), 0);
  std::vector<LnaFetchRequest> requests;
  for (const LnaColumnDesc& c : client_->columns()) requests.push_back(velsrv::ClientFetchShape(c));
  ASSERT_EQ(requests.size(), 2u);
  std::vector<RowBlockDecoder> decoders(2, RowBlockDecoder{});
  std::vector<Row> rows;
  int16_t block_status = -1;
  client_->DecodeBlock(requests, &first, &decoders, &rows, &block_status, nullptr);
  for (RowBlockDecoder& d : decoders) FreeRowBlock(&d);
  ASSERT_EQ(block_status, 0);
  const size_t failing = rows.size() + 1;
  ASSERT_LT(failing, numbered.size());

  int16_t status = client_->ExecArray(select(failing), &first);
  // The backends that read the whole result at execution fail there.
  if (GetParam().name == std::string("sqlite") || GetParam().name == std::string("postgres")) {
    EXPECT_EQ(status, -20);
    XdrFreeRowBlock(&first);
    return;
  }
  ASSERT_EQ(status, 0);
  rows.clear();
  client_->DecodeBlock(requests, &first, &decoders, &rows, &block_status, nullptr);
  for (int guard = 0; guard < 100 && block_status == 0; ++guard) {
    // Time for the server to build the next block and meet the failure.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(client_->Errors().empty()) << "after " << rows.size() << " rows";
    status = client_->NextBlock(requests, &decoders, &rows, &block_status);
    if (status != 0) break;
  }
  EXPECT_EQ(status, -20);
  const std::vector<std::string> diags = client_->Errors();
  ASSERT_FALSE(diags.empty());
  EXPECT_EQ(diags[0], GetParam().postgres ? "22012" : "S1000");
  // The rows before the failure, in order, but for those the backend gave
  // up with it: the rest of its batch of 100.
  ASSERT_LT(rows.size(), failing);
  EXPECT_GE(rows.size() + 100, failing);
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i][0], numbered[i][0]);
  for (RowBlockDecoder& d : decoders) FreeRowBlock(&d);
}

TEST(PostgresStatementTest, OutputParametersComeBackInTheSecondList) {
  if (Postgres() == nullptr)
    GTEST_SKIP() << "PostgreSQL could not be started here: " << PostgresError();
  velsrv::OdbcBackend backend;
  velsrv::Listener listener(Config("postgres"), backend);
  std::string error;
  ASSERT_TRUE(listener.Open(&error)) << error;
  listener.Start();
  {
    Client client(listener.port(), "postgres");
    ASSERT_TRUE(client.ok());
    ASSERT_EQ(client.Exec("CREATE OR REPLACE FUNCTION doubled(a integer, OUT twice integer, "
                          "OUT said varchar) AS $$ SELECT a * 2, 'got ' || a $$ LANGUAGE sql"),
              0);
    Arena arena;
    LnaTypedValue out_long = Number(kCTypeLong, 0);
    LnaTypedValue out_text = Text(arena, "");
    std::vector<LnaDescriptor> in = {Param(1, 4, 10, Number(kCTypeLong, 21))};
    std::vector<LnaDescriptor> out = {Param(2, 4, 10, out_long, 4), Param(3, 12, 20, out_text, 4)};
    out[1].buffer_size = 20;
    std::vector<LnaDescriptor> back;
    int16_t status = client.Exec("{call doubled(?, ?, ?)}", in, out, &back);
    ASSERT_TRUE(status == 0 || status == 1)
        << status << " " << (client.Errors().empty() ? "" : client.Errors()[0]);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].number, 2);
    EXPECT_EQ(back[0].value.c_type, kCTypeLong);
    EXPECT_EQ(back[0].value.value.i32, 42);
    ASSERT_EQ(client.texts().size(), 1u);
    EXPECT_EQ(client.texts()[0], "got 21");
  }
  listener.Stop();
}

}  // namespace
}  // namespace velsrv_test
