#include "testing/scripted_backend.h"

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "server/conn_string.h"

namespace velsrv {

namespace {

using State = ScriptedBackend::State;

// A catalog call waits at most this long for its cancel, so that a test
// whose cancel never comes ends all the same.
constexpr auto kBlockLimit = std::chrono::seconds(10);

Diag Scripted(const char* sqlstate, const std::string& text) {
  return Diag{sqlstate, 1, "[scripted]" + text};
}

LnaTypeInfo Type(const char* name, int16_t sql_type, int32_t precision) {
  LnaTypeInfo t{};
  std::strncpy(t.type_name, name, sizeof t.type_name - 1);
  std::strncpy(t.local_type_name, name, sizeof t.local_type_name - 1);
  t.sql_type = sql_type;
  t.precision = precision;
  t.nullable = 1;
  t.searchable = 3;
  return t;
}

ColumnInfo TextColumn(const char* name) {
  ColumnInfo c;
  c.name = name;
  c.sql_type = 12;
  c.precision = 128;
  c.display_size = 128;
  c.length = 128;
  c.nullable = 1;
  c.searchable = 3;
  return c;
}

class ScriptedStatement : public BackendStatement {
 public:
  explicit ScriptedStatement(std::shared_ptr<State> state) : state_(std::move(state)) {}

  BackendRc Catalog(const CatalogCall& call, DiagList* diags) override {
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->log.catalog_calls.push_back(call);
    open_ = false;
    numbers_ = false;
    if (state_->data.block_catalog) {
      ++state_->blocked;
      waiting_ = true;
      state_->changed.notify_all();
      bool cancelled = state_->changed.wait_for(lock, kBlockLimit, [this] { return cancelled_; });
      --state_->blocked;
      waiting_ = false;
      cancelled_ = false;
      diags->push_back(cancelled ? Scripted("S1008", "Operation canceled.")
                                 : Scripted("S1T00", "Timeout expired."));
      return BackendRc::kError;
    }
    auto it = state_->data.catalog_columns.find(call.kind);
    columns_ = it != state_->data.catalog_columns.end()
                   ? it->second
                   : std::vector<ColumnInfo>{TextColumn("NAME")};
    open_ = true;
    return BackendRc::kSuccess;
  }

  BackendRc DescribeResult(std::vector<ColumnInfo>* columns, DiagList*) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    *columns = open_ ? columns_ : std::vector<ColumnInfo>{};
    return BackendRc::kSuccess;
  }

  BackendRc Free(uint16_t option, DiagList* diags) override {
    if (option > 3) {
      diags->push_back(Scripted("S1092", "Option type out of range."));
      return BackendRc::kError;
    }
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (option == 0) open_ = false;
    return BackendRc::kSuccess;
  }

  BackendRc SetCursorName(const std::string&, DiagList*) override { return BackendRc::kSuccess; }

  BackendRc SetOption(uint16_t option, uint32_t value, DiagList*) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->log.statement_options[option] = value;
    options_[option] = value;
    return BackendRc::kSuccess;
  }

  BackendRc GetOption(uint16_t option, uint32_t* value, DiagList*) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    auto it = options_.find(option);
    *value = it != options_.end() ? it->second : 0;
    return BackendRc::kSuccess;
  }

  // The script holds no tables but its numbers: other statements are
  // refused, and catalog results have no rows.
  BackendRc Prepare(const std::string&, DiagList* diags) override { return NotCapable(diags); }
  BackendRc BindParameter(const ParamBinding&, DiagList* diags) override {
    return NotCapable(diags);
  }
  BackendRc Execute(DiagList* diags) override { return NotCapable(diags); }
  BackendRc ExecDirect(const std::string& sql, DiagList* diags) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (sql != "SELECT numbers" || state_->data.numbers == 0) return NotCapable(diags);
    ColumnInfo n;
    n.name = "N";
    n.sql_type = 4;
    n.precision = 10;
    n.display_size = 11;
    n.length = 4;
    columns_ = {state_->data.numbers_column.value_or(n)};
    open_ = true;
    numbers_ = true;
    row_ = 0;
    return BackendRc::kSuccess;
  }
  BackendRc NumParams(int16_t* count, DiagList*) override {
    *count = 0;
    return BackendRc::kSuccess;
  }
  BackendRc DescribeParam(uint16_t, ParamInfo*, DiagList* diags) override {
    return NotCapable(diags);
  }
  BackendRc RowCount(int64_t* count, DiagList*) override {
    *count = -1;
    return BackendRc::kSuccess;
  }
  BackendRc Fetch(DiagList* diags) override {
    std::unique_lock<std::mutex> lock(state_->mutex);
    if (numbers_ && state_->data.slow_from > 0 && row_ + 1 >= state_->data.slow_from) {
      int ms = state_->data.slow_ms;
      lock.unlock();
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      lock.lock();
    }
    if (!open_) {
      diags->push_back(Scripted("24000", "Invalid cursor state."));
      return BackendRc::kError;
    }
    const ScriptedData& d = state_->data;
    if (!numbers_ || row_ >= d.numbers) return BackendRc::kNoData;
    ++row_;
    if (row_ == d.fail_at) {
      open_ = false;
      diags->push_back(Scripted("22012", "Division by zero in row " + std::to_string(row_) + "."));
      return BackendRc::kError;
    }
    if (d.warn_from > 0 && row_ >= d.warn_from) {
      diags->push_back(Scripted("01000", "Row " + std::to_string(row_) + " warns."));
      return BackendRc::kSuccessWithInfo;
    }
    return BackendRc::kSuccess;
  }
  BackendRc GetData(uint16_t column, int16_t c_type, void* buffer, int64_t size, int64_t* indicator,
                    DiagList* diags) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (!open_ || !numbers_ || row_ == 0 || column != 1) {
      diags->push_back(Scripted("24000", "Invalid cursor state."));
      return BackendRc::kError;
    }
    if (c_type == 4 && size >= 4) {
      auto v = static_cast<int32_t>(row_);
      std::memcpy(buffer, &v, sizeof v);
      *indicator = 4;
      return BackendRc::kSuccess;
    }
    std::string text = std::to_string(row_);
    *indicator = static_cast<int64_t>(text.size());
    if (size > 0) {
      size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
      std::memcpy(buffer, text.data(), n);
      static_cast<char*>(buffer)[n] = '\0';
    }
    return BackendRc::kSuccess;
  }

  BackendRc Cancel(DiagList*) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    ++state_->log.cancels;
    if (waiting_) cancelled_ = true;
    open_ = false;
    state_->changed.notify_all();
    return BackendRc::kSuccess;
  }

 private:
  static BackendRc NotCapable(DiagList* diags) {
    diags->push_back(Scripted("S1C00", "Driver not capable."));
    return BackendRc::kError;
  }

  std::shared_ptr<State> state_;
  std::vector<ColumnInfo> columns_;
  std::map<uint16_t, uint32_t> options_;
  bool open_ = false;
  bool numbers_ = false;  // the open result is the numbers
  int row_ = 0;           // of the numbers, the current one
  bool waiting_ = false;
  bool cancelled_ = false;
};

class ScriptedConnection : public BackendConnection {
 public:
  explicit ScriptedConnection(std::shared_ptr<State> state) : state_(std::move(state)) {
    options_[101] = OptionValue{false, "", 0};  // read/write
    options_[102] = OptionValue{false, "", 1};  // autocommit on
    options_[103] = OptionValue{false, "", 15};
    options_[108] = OptionValue{false, "", 2};  // read committed
    options_[109] = OptionValue{true, "main", 0};
  }
  ~ScriptedConnection() override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    --state_->log.open_connections;
  }

  BackendRc GetInfoText(uint16_t type, std::string* value, DiagList* diags) override {
    InfoValue v;
    BackendRc rc = Info(type, &v, diags);
    *value = v.text;
    return rc;
  }

  BackendRc GetInfoNumber(uint16_t type, InfoWidth, uint32_t* value, DiagList* diags) override {
    InfoValue v;
    BackendRc rc = Info(type, &v, diags);
    *value = v.number;
    return rc;
  }

  BackendRc TypeInfo(std::vector<LnaTypeInfo>* rows, DiagList*) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    *rows = state_->data.types;
    ++state_->log.type_info_calls;
    if (state_->data.garbled_type_answers > 0) {
      // As a driver seen under load answers: its VARCHAR row with type 0.
      --state_->data.garbled_type_answers;
      for (LnaTypeInfo& row : *rows) {
        if (row.sql_type == 12) row.sql_type = 0;
      }
    }
    return BackendRc::kSuccess;
  }

  BackendRc TableTypes(std::vector<std::string>* names, DiagList*) override {
    *names = state_->data.table_types;
    return BackendRc::kSuccess;
  }

  BackendRc Functions(std::array<uint16_t, 100>* flags, DiagList*) override {
    *flags = state_->data.functions;
    return BackendRc::kSuccess;
  }

  BackendRc SetOption(uint16_t option, const OptionValue& value, DiagList*) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->log.connection_options[option] = value;
    options_[option] = value;
    return BackendRc::kSuccess;
  }

  BackendRc GetOption(uint16_t option, bool, OptionValue* value, DiagList* diags) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    auto it = options_.find(option);
    if (it == options_.end()) {
      diags->push_back(Scripted("S1092", "Option type out of range."));
      return BackendRc::kError;
    }
    *value = it->second;
    return BackendRc::kSuccess;
  }

  BackendRc Transact(uint16_t type, DiagList*) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    ++(type == 0 ? state_->log.commits : state_->log.rollbacks);
    return BackendRc::kSuccess;
  }

  BackendRc AllocStatement(std::unique_ptr<BackendStatement>* statement, DiagList*) override {
    *statement = std::make_unique<ScriptedStatement>(state_);
    return BackendRc::kSuccess;
  }

 private:
  BackendRc Info(uint16_t type, InfoValue* value, DiagList* diags) {
    auto it = state_->data.info.find(type);
    if (it == state_->data.info.end()) {
      diags->push_back(Scripted("S1096", "Information type out of range."));
      return BackendRc::kError;
    }
    *value = it->second;
    return BackendRc::kSuccess;
  }

  std::shared_ptr<State> state_;
  std::map<uint16_t, OptionValue> options_;
};

InfoValue Text(const char* text) {
  return InfoValue{true, text, 0};
}

InfoValue Number(uint32_t n) {
  return InfoValue{false, "", n};
}

}  // namespace

ScriptedData DefaultScriptedData() {
  ScriptedData d;
  d.dsns = {"scripted"};
  d.passwords = {{"scott", "tiger"}};
  d.types = {Type("bit", -7, 1),         Type("bigint", -5, 19),    Type("blob", -4, 65536),
             Type("varbinary", -3, 255), Type("text", -1, 65536),   Type("char", 1, 255),
             Type("integer", 4, 10),     Type("smallint", 5, 5),    Type("double", 8, 15),
             Type("date", 9, 10),        Type("timestamp", 11, 23), Type("varchar", 12, 255)};
  d.table_types = {"TABLE", "VIEW", "SYSTEM TABLE"};
  d.functions.fill(1);
  d.functions[0] = 0;
  d.functions[56] = 0;  // no SQLColumnPrivileges
  d.info = {
      {17, Text("Scripted")},
      {18, Text("01.00.0000")},
      {13, Text("/srv/data/scripted.db")},
      {16, Text("/srv/data/scripted.db")},
      {47, Text("scott")},
      {29, Text("\"")},
      {14, Text("\\")},
      {89, Text("ABORT,ANALYZE,ATTACH")},
      {36, Text("Y")},
      {11, Text("Y")},
      {25, Text("N")},
      {1, Number(0)},
      {9, Number(2)},
      {30, Number(255)},
      {44, Number(0x1F)},  // every scroll option: the server announces forward-only
      {43, Number(0x0F)},
      {81, Number(0x0F)},
      {26, Number(2)},
      {46, Number(2)},
      {56, Number(0x3FFFF)},  // conversions from CHAR
  };
  return d;
}

ScriptedBackend::ScriptedBackend(ScriptedData data) : state_(std::make_shared<State>()) {
  state_->data = std::move(data);
}

ScriptedBackend::~ScriptedBackend() = default;

BackendRc ScriptedBackend::Connect(const std::string& connection_string,
                                   std::chrono::steady_clock::time_point,
                                   std::unique_ptr<BackendConnection>* connection,
                                   DiagList* diags) {
  connection->reset();
  ConnString cs;
  cs.Parse(connection_string);
  std::string dsn = cs.Get("DSN").value_or("");
  std::string uid = cs.Get("UID").value_or("");
  std::string pwd = cs.Get("PWD").value_or("");
  std::lock_guard<std::mutex> lock(state_->mutex);
  ++state_->log.connects;
  state_->log.last_connect = connection_string;
  bool known = false;
  for (const std::string& d : state_->data.dsns)
    known = known || strcasecmp(d.c_str(), dsn.c_str()) == 0;
  const std::string& refusal = state_->data.refusal_text;
  if (!known) {
    diags->push_back(Scripted(
        "IM002", refusal.empty() ? "Data source name not found and no default driver specified."
                                 : refusal));
    return BackendRc::kError;
  }
  if (!state_->data.passwords.empty()) {
    auto it = state_->data.passwords.find(uid);
    if (it == state_->data.passwords.end() || it->second != pwd) {
      diags->push_back(
          Scripted("28000", refusal.empty() ? "Login failed for user '" + uid + "'." : refusal));
      return BackendRc::kError;
    }
  }
  ++state_->log.open_connections;
  *connection = std::make_unique<ScriptedConnection>(state_);
  return BackendRc::kSuccess;
}

ScriptedLog ScriptedBackend::Log() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->log;
}

bool ScriptedBackend::WaitForBlockedCall() {
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->changed.wait_for(lock, std::chrono::seconds(10),
                                  [this] { return state_->blocked > 0; });
}

}  // namespace velsrv
