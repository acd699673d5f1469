// An in-memory backend that answers from a script: the data sources and
// users it accepts, its information values, types, table types and
// functions, and the columns of its catalog results. Tests read what the
// server asked of it from its log, and can make catalog calls wait until
// they are cancelled.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "server/backend.h"

namespace velsrv {

struct ScriptedData {
  std::set<std::string> dsns;                    // accepted DSN names
  std::map<std::string, std::string> passwords;  // UID -> PWD; empty: anyone
  std::map<uint16_t, InfoValue> info;            // a missing type fails
  std::vector<LnaTypeInfo> types;
  std::vector<std::string> table_types;
  std::array<uint16_t, 100> functions{};
  std::map<CatalogKind, std::vector<ColumnInfo>> catalog_columns;  // missing: one text column
  bool block_catalog = false;    // catalog calls wait until cancelled
  int garbled_type_answers = 0;  // so many type-information answers lack VARCHAR
  std::string refusal_text;      // the text of every refused connect; empty: the usual ones
  // "SELECT numbers" gives the integers 1 to `numbers` in one column; from
  // row `warn_from` on each row comes with a warning, row `fail_at` fails
  // (0: none does).
  int numbers = 0;
  int warn_from = 0;
  int fail_at = 0;
  // How "SELECT numbers" describes its column when not as an integer (a
  // text type delivers the numbers as text).
  std::optional<ColumnInfo> numbers_column;
  // From row `slow_from` on, each row takes `slow_ms` to come.
  int slow_from = 0;
  int slow_ms = 0;
};

// A small database: data source "scripted", user "scott" with password
// "tiger", and a type list that lacks SQL_BINARY (as SQLite's does).
ScriptedData DefaultScriptedData();

// What the server asked of the backend.
struct ScriptedLog {
  int connects = 0;
  int open_connections = 0;
  int commits = 0;
  int rollbacks = 0;
  std::string last_connect;  // the connection string of the last Connect
  std::vector<CatalogCall> catalog_calls;
  std::map<uint16_t, OptionValue> connection_options;
  std::map<uint16_t, uint32_t> statement_options;
  int cancels = 0;
  int type_info_calls = 0;
};

class ScriptedBackend : public Backend {
 public:
  explicit ScriptedBackend(ScriptedData data = DefaultScriptedData());
  ~ScriptedBackend() override;

  BackendRc Connect(const std::string& connection_string,
                    std::chrono::steady_clock::time_point deadline,
                    std::unique_ptr<BackendConnection>* connection, DiagList* diags) override;

  // A copy of the log, taken under its lock.
  ScriptedLog Log();
  // Waits (a few seconds at most) until a catalog call is waiting for its
  // cancel; true when one is.
  bool WaitForBlockedCall();

  // Shared with the connections and statements it makes.
  struct State {
    ScriptedData data;
    std::mutex mutex;
    std::condition_variable changed;
    ScriptedLog log;
    int blocked = 0;
  };

 private:
  std::shared_ptr<State> state_;
};

}  // namespace velsrv
