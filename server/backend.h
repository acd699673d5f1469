// What the server needs of the databases behind it: a small ODBC-shaped
// interface, so that the protocol code runs the same against unixODBC and
// against the scripted in-memory backend of the tests. Every call returns a
// BackendRc and appends the diagnostics the call produced to `diags`.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "wire/protocol.h"
#include "wire/type_info.h"

namespace velsrv {

enum class BackendRc { kSuccess, kSuccessWithInfo, kError, kNoData, kNeedData };

inline bool Succeeded(BackendRc rc) {
  return rc == BackendRc::kSuccess || rc == BackendRc::kSuccessWithInfo;
}

// The worse of two results: an error over information over success (no
// data counts as success).
inline BackendRc Worse(BackendRc a, BackendRc b) {
  auto rank = [](BackendRc rc) {
    return rc == BackendRc::kSuccessWithInfo           ? 1
           : Succeeded(rc) || rc == BackendRc::kNoData ? 0
                                                       : 2;
  };
  return rank(b) > rank(a) ? b : a;
}

struct Diag {
  std::string sqlstate;
  int32_t native_error = 0;
  std::string text;
};
using DiagList = std::vector<Diag>;

// A catalog argument: no value stands for a null pointer.
using NullableText = std::optional<std::string>;

// An information value, as SQLGetInfo gives it.
struct InfoValue {
  bool is_text = false;
  std::string text;
  uint32_t number = 0;
};

// An option value: a number, or a text for the options that take one.
struct OptionValue {
  bool is_text = false;
  std::string text;
  uint32_t number = 0;
};

// Width in which the backend gives a numeric information value.
enum class InfoWidth { kU16, kU32 };

// What the backend says about one result column.
struct ColumnInfo {
  std::string name;
  std::string label;
  std::string table;
  std::string owner;
  std::string qualifier;
  int16_t sql_type = 0;
  int32_t precision = 0;
  int16_t scale = 0;
  int16_t nullable = 0;  // SQL_NO_NULLS 0, SQL_NULLABLE 1, unknown 2
  int32_t display_size = 0;
  int32_t length = 0;
  bool case_sensitive = false;
  int16_t searchable = 0;  // SQL_COLUMN_SEARCHABLE
  bool is_unsigned = true;
  bool money = false;
  bool auto_increment = false;
};

// The ten catalog functions, numbered as the procedures that ask for them.
enum class CatalogKind : uint16_t {
  kColumnPrivileges = kRpcColumnPrivileges,
  kColumns = kRpcColumns,
  kForeignKeys = kRpcForeignKeys,
  kPrimaryKeys = kRpcPrimaryKeys,
  kProcedureColumns = kRpcProcedureColumns,
  kProcedures = kRpcProcedures,
  kSpecialColumns = kRpcSpecialColumns,
  kStatistics = kRpcStatistics,
  kTablePrivileges = kRpcTablePrivileges,
  kTables = kRpcTables,
};

// One catalog call. `names` holds the name arguments in the order of the ODBC
// function (foreign keys: the primary-key triple, then the foreign-key
// triple); `table_types` is SQLTables' type list.
struct CatalogCall {
  CatalogKind kind = CatalogKind::kTables;
  std::vector<NullableText> names;
  NullableText table_types;
  uint16_t column_type = 0;  // SQLSpecialColumns
  uint16_t scope = 0;
  uint16_t nullable = 0;
  uint16_t unique = 0;  // SQLStatistics
  uint16_t accuracy = 0;
};

// One parameter as SQLBindParameter takes it. The buffer and the
// indicator belong to the caller and must live until the execution is over.
struct ParamBinding {
  uint16_t number = 0;
  int16_t io_type = 1;  // SQL_PARAM_INPUT 1, INPUT_OUTPUT 2, OUTPUT 4
  int16_t c_type = 0;
  int16_t sql_type = 0;
  uint32_t precision = 0;
  int16_t scale = 0;
  void* buffer = nullptr;
  int64_t buffer_length = 0;
  int64_t* indicator = nullptr;
};

// One result column as block reads bind it: in this C type, with room for
// `size` bytes of each value (a text's NUL included); size 0 leaves the
// column unbound.
struct ArrayColumn {
  int16_t c_type = 0;
  int32_t size = 0;
};

// What SQLDescribeParam says about one parameter marker.
struct ParamInfo {
  int16_t sql_type = 0;
  uint32_t precision = 0;
  int16_t scale = 0;
  int16_t nullable = 2;  // SQL_NULLABLE_UNKNOWN
};

class BackendStatement {
 public:
  virtual ~BackendStatement() = default;

  virtual BackendRc Prepare(const std::string& sql, DiagList* diags) = 0;
  virtual BackendRc BindParameter(const ParamBinding& binding, DiagList* diags) = 0;
  // Runs the prepared statement with the bound parameters.
  virtual BackendRc Execute(DiagList* diags) = 0;
  virtual BackendRc ExecDirect(const std::string& sql, DiagList* diags) = 0;
  virtual BackendRc NumParams(int16_t* count, DiagList* diags) = 0;
  virtual BackendRc DescribeParam(uint16_t number, ParamInfo* info, DiagList* diags) = 0;
  virtual BackendRc RowCount(int64_t* count, DiagList* diags) = 0;
  // The next row of the open result set; kNoData at its end.
  virtual BackendRc Fetch(DiagList* diags) = 0;
  // SQLGetData: successive calls on one column continue the value.
  virtual BackendRc GetData(uint16_t column, int16_t c_type, void* buffer, int64_t size,
                            int64_t* indicator, DiagList* diags) = 0;

  // Block reads: the open result's columns bound to arrays of `rows`
  // values each, which the statement holds, so that one call reads many
  // rows. The most rows an array may have: 0 when the backend cannot read
  // so (or could not read a cut value again), 1 when it reads a row at a
  // time into bound columns. Any other call that starts a new result, and
  // closing the cursor, drop the arrays.
  virtual uint32_t MaxArrayRows() { return 0; }
  virtual BackendRc BindArrays(const std::vector<ArrayColumn>& columns, uint32_t rows,
                               DiagList* diags) {
    (void)columns;
    (void)rows;
    diags->push_back(Diag{"S1C00", 0, "[velsrv]Driver not capable."});
    return BackendRc::kError;
  }
  // The next rows into the arrays; *rows says how many (kNoData at the end).
  virtual BackendRc FetchArrays(uint32_t* rows, DiagList* diags) {
    *rows = 0;
    diags->push_back(Diag{"S1C00", 0, "[velsrv]Driver not capable."});
    return BackendRc::kError;
  }
  // Value `row` of column `column` (from 1) of the last FetchArrays, and
  // what the backend said of its length (-1 null, -4 not known); null for a
  // column or row outside the arrays.
  virtual const uint8_t* ArrayValue(uint16_t column, uint32_t row, int64_t* length) {
    (void)column;
    (void)row;
    *length = -1;
    return nullptr;
  }
  // Makes `row` of the arrays the row GetData reads.
  virtual BackendRc PositionInArray(uint32_t row, DiagList* diags) {
    (void)row;
    diags->push_back(Diag{"S1C00", 0, "[velsrv]Driver not capable."});
    return BackendRc::kError;
  }

  // Runs a catalog function; its result set stays open on the statement.
  virtual BackendRc Catalog(const CatalogCall& call, DiagList* diags) = 0;
  // Describes the open result set (no columns: an empty list).
  virtual BackendRc DescribeResult(std::vector<ColumnInfo>* columns, DiagList* diags) = 0;
  // SQLFreeStmt with SQL_CLOSE, SQL_UNBIND or SQL_RESET_PARAMS.
  virtual BackendRc Free(uint16_t option, DiagList* diags) = 0;
  virtual BackendRc SetCursorName(const std::string& name, DiagList* diags) = 0;
  virtual BackendRc SetOption(uint16_t option, uint32_t value, DiagList* diags) = 0;
  virtual BackendRc GetOption(uint16_t option, uint32_t* value, DiagList* diags) = 0;
  // May be called from another thread while a call of this statement runs.
  virtual BackendRc Cancel(DiagList* diags) = 0;
};

class BackendConnection {
 public:
  // Disconnects.
  virtual ~BackendConnection() = default;

  virtual BackendRc GetInfoText(uint16_t type, std::string* value, DiagList* diags) = 0;
  virtual BackendRc GetInfoNumber(uint16_t type, InfoWidth width, uint32_t* value,
                                  DiagList* diags) = 0;
  // The rows of SQLGetTypeInfo(SQL_ALL_TYPES), in the backend's order.
  virtual BackendRc TypeInfo(std::vector<LnaTypeInfo>* rows, DiagList* diags) = 0;
  // The TABLE_TYPE values of the table-type enumeration of SQLTables.
  virtual BackendRc TableTypes(std::vector<std::string>* names, DiagList* diags) = 0;
  // SQLGetFunctions(SQL_API_ALL_FUNCTIONS).
  virtual BackendRc Functions(std::array<uint16_t, 100>* flags, DiagList* diags) = 0;
  virtual BackendRc SetOption(uint16_t option, const OptionValue& value, DiagList* diags) = 0;
  // `text` says whether the option's value is a text.
  virtual BackendRc GetOption(uint16_t option, bool text, OptionValue* value, DiagList* diags) = 0;
  // 0 commits, 1 rolls back.
  virtual BackendRc Transact(uint16_t type, DiagList* diags) = 0;
  virtual BackendRc AllocStatement(std::unique_ptr<BackendStatement>* statement,
                                   DiagList* diags) = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // Connects with an ODBC connection string ("DSN=...;UID=...;PWD=...").
  // `deadline` bounds the login: its waits for what other logins hold, and
  // the backend's own connect where the backend takes a login timeout.
  // Also the type-information call of the new connection waits no longer.
  virtual BackendRc Connect(const std::string& connection_string,
                            std::chrono::steady_clock::time_point deadline,
                            std::unique_ptr<BackendConnection>* connection, DiagList* diags) = 0;
};

}  // namespace velsrv
