#include "server/odbc_backend.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>
#include <set>

#include "server/backend_driver.h"
#include "server/sqlite_tally.h"

namespace velsrv {

namespace {

using Clock = std::chrono::steady_clock;

// Takes a backend driver's lock, waiting no longer than `deadline`; false,
// with a diagnostic, when another login held it all that time.
bool LockDriver(std::timed_mutex& lock, Clock::time_point deadline, DiagList* diags) {
  if (lock.try_lock_until(deadline)) return true;
  diags->push_back(Diag{"S1T00", 0,
                        "[velsrv]Timeout expired: another login to the same backend driver did "
                        "not finish within the login timeout."});
  return false;
}

// Bounds on what is read from the backend at login.
constexpr int kMaxTypeRows = 10000;
constexpr int kMaxTableTypes = 64;
constexpr int kMaxDiagRecords = 20;

BackendRc Rc(SQLRETURN r) {
  switch (r) {
    case SQL_SUCCESS:
      return BackendRc::kSuccess;
    case SQL_SUCCESS_WITH_INFO:
      return BackendRc::kSuccessWithInfo;
    case SQL_NO_DATA_FOUND:
      return BackendRc::kNoData;
    case SQL_NEED_DATA:
      return BackendRc::kNeedData;
    default:
      return BackendRc::kError;
  }
}

// Reads the records of the call that just returned on the handle: at once,
// before the next call on it clears them.
void Collect(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, DiagList* diags) {
  for (int i = 0; i < kMaxDiagRecords; ++i) {
    SQLCHAR state[6] = "";
    SQLINTEGER native = 0;
    SQLCHAR text[SQL_MAX_MESSAGE_LENGTH + 1] = "";
    SQLSMALLINT length = 0;
    SQLRETURN r = SQLError(env, dbc, stmt, state, &native, text, sizeof text, &length);
    if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO) break;
    diags->push_back(Diag{reinterpret_cast<char*>(state), native, reinterpret_cast<char*>(text)});
  }
}

// Runs an ODBC call's result through the diagnostics of its handle.
BackendRc Checked(SQLRETURN r, SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, DiagList* diags) {
  if (r == SQL_ERROR || r == SQL_SUCCESS_WITH_INFO) Collect(env, dbc, stmt, diags);
  if (r == SQL_INVALID_HANDLE)
    diags->push_back(Diag{"S1000", 0, "[velsrv]Invalid backend handle."});
  return Rc(r);
}

SQLCHAR* Text(const NullableText& t) {
  return t ? reinterpret_cast<SQLCHAR*>(const_cast<char*>(t->c_str())) : nullptr;
}

SQLCHAR* SqlText(const std::string& sql) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str()));
}

SQLSMALLINT Length(const NullableText& t) {
  return t ? SQL_NTS : 0;
}

std::string GetString(SQLHSTMT stmt, SQLUSMALLINT column, size_t size) {
  std::string out(size, '\0');
  SQLLEN indicator = 0;
  SQLRETURN r =
      SQLGetData(stmt, column, SQL_C_CHAR, out.data(), static_cast<SQLLEN>(size), &indicator);
  if (!SQL_SUCCEEDED(r) || indicator == SQL_NULL_DATA) return "";
  out.resize(strnlen(out.c_str(), size));
  return out;
}

int32_t GetLong(SQLHSTMT stmt, SQLUSMALLINT column) {
  SQLINTEGER v = 0;
  SQLLEN indicator = 0;
  SQLRETURN r = SQLGetData(stmt, column, SQL_C_SLONG, &v, 0, &indicator);
  return SQL_SUCCEEDED(r) && indicator != SQL_NULL_DATA ? v : 0;
}

int16_t GetShort(SQLHSTMT stmt, SQLUSMALLINT column) {
  SQLSMALLINT v = 0;
  SQLLEN indicator = 0;
  SQLRETURN r = SQLGetData(stmt, column, SQL_C_SSHORT, &v, 0, &indicator);
  return SQL_SUCCEEDED(r) && indicator != SQL_NULL_DATA ? v : 0;
}

template <size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  size_t n = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), n);
  field[n] = 0;
}

// The most rows one array read takes, whatever the caller asks.
constexpr uint32_t kMaxArrayRows = 4096;

// What a backend's driver allows of block reads: arrays of many rows when
// it can position on any row of them for SQLGetData (a value cut by its
// bound buffer is read again from there), a row at a time into bound
// columns when it can at least read a bound column again, else nothing.
uint32_t ArrayRowsAllowed(SQLHDBC dbc) {
  SQLUSMALLINT extended = SQL_FALSE;
  if (!SQL_SUCCEEDED(SQLGetFunctions(dbc, SQL_API_SQLEXTENDEDFETCH, &extended)) ||
      extended != SQL_TRUE)
    return 0;
  SQLUINTEGER getdata = 0;
  if (!SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_GETDATA_EXTENSIONS, &getdata, sizeof getdata, nullptr)) ||
      (getdata & SQL_GD_BOUND) == 0)
    return 0;
  SQLUINTEGER positions = 0;
  bool position =
      SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_POS_OPERATIONS, &positions, sizeof positions, nullptr)) &&
      (positions & SQL_POS_POSITION) != 0;
  return (getdata & SQL_GD_BLOCK) != 0 && position ? kMaxArrayRows : 1;
}

class OdbcStatement : public BackendStatement {
 public:
  OdbcStatement(SQLHSTMT stmt, uint32_t max_array_rows)
      : stmt_(stmt), max_array_rows_(max_array_rows) {}
  ~OdbcStatement() override { SQLFreeStmt(stmt_, SQL_DROP); }

  uint32_t MaxArrayRows() override { return max_array_rows_; }

  BackendRc BindArrays(const std::vector<ArrayColumn>& columns, uint32_t rows,
                       DiagList* diags) override {
    DropArrays();
    if (max_array_rows_ == 0 || columns.size() > SHRT_MAX) {
      diags->push_back(Diag{"S1C00", 0, "[velsrv]Driver not capable."});
      return BackendRc::kError;
    }
    rows = std::clamp<uint32_t>(rows, 1, max_array_rows_);
    BackendRc rc = Check(SQLSetStmtOption(stmt_, SQL_ROWSET_SIZE, rows), diags);
    arrays_.resize(columns.size());
    row_status_.assign(rows, 0);
    array_rows_ = rows;
    for (size_t i = 0; Succeeded(rc) && i < columns.size(); ++i) {
      Array& a = arrays_[i];
      a.size = std::max(columns[i].size, 0);
      if (a.size == 0) continue;
      a.values.assign(static_cast<size_t>(a.size) * rows, 0);
      a.lengths.assign(rows, 0);
      BackendRc bound = Check(SQLBindCol(stmt_, static_cast<SQLUSMALLINT>(i + 1), columns[i].c_type,
                                         a.values.data(), a.size, a.lengths.data()),
                              diags);
      if (!Succeeded(bound)) rc = bound;
    }
    if (!Succeeded(rc)) DropArrays();
    return rc;
  }

  BackendRc FetchArrays(uint32_t* rows, DiagList* diags) override {
    *rows = 0;
    if (array_rows_ == 0) {
      diags->push_back(Diag{"S1010", 0, "[velsrv]Function sequence error."});
      return BackendRc::kError;
    }
    if (row_failure_) {
      row_failure_ = false;
      diags->insert(diags->end(), failure_.begin(), failure_.end());
      failure_.clear();
      return BackendRc::kError;
    }
    SQLULEN fetched = 0;
    DiagList found;
    BackendRc rc =
        Check(SQLExtendedFetch(stmt_, SQL_FETCH_NEXT, 0, &fetched, row_status_.data()), &found);
    fetched_ = static_cast<uint32_t>(std::min<SQLULEN>(fetched, array_rows_));
    if (rc == BackendRc::kNoData || !Succeeded(rc)) {
      fetched_ = 0;
      diags->insert(diags->end(), found.begin(), found.end());
      return rc;
    }
    // A row the backend could not read ends the rows here; its failure
    // answers the next read.
    for (uint32_t i = 0; i < fetched_; ++i) {
      if (row_status_[i] != SQL_ROW_ERROR) continue;
      fetched_ = i;
      if (i == 0) {
        diags->insert(diags->end(), found.begin(), found.end());
        return BackendRc::kError;
      }
      row_failure_ = true;
      failure_ = std::move(found);
      found.clear();
      break;
    }
    diags->insert(diags->end(), found.begin(), found.end());
    *rows = fetched_;
    return rc;
  }

  const uint8_t* ArrayValue(uint16_t column, uint32_t row, int64_t* length) override {
    *length = -1;
    if (column == 0 || column > arrays_.size() || row >= fetched_) return nullptr;
    const Array& a = arrays_[column - 1];
    if (a.size == 0) return nullptr;
    *length = a.lengths[row];
    return a.values.data() + static_cast<size_t>(a.size) * row;
  }

  BackendRc PositionInArray(uint32_t row, DiagList* diags) override {
    if (row >= fetched_) {
      diags->push_back(Diag{"S1107", 0, "[velsrv]Row value out of range."});
      return BackendRc::kError;
    }
    // With one row to an array, that row is the current one already.
    if (array_rows_ == 1) return BackendRc::kSuccess;
    return Check(
        SQLSetPos(stmt_, static_cast<SQLUSMALLINT>(row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE),
        diags);
  }

  BackendRc Catalog(const CatalogCall& c, DiagList* diags) override {
    const std::vector<NullableText>& n = c.names;
    auto name = [&](size_t i) -> const NullableText& {
      static const NullableText kNone;
      return i < n.size() ? n[i] : kNone;
    };
    DropArrays();
    SQLRETURN r = SQL_ERROR;
    switch (c.kind) {
      case CatalogKind::kColumnPrivileges:
        r = SQLColumnPrivileges(stmt_, Text(name(0)), Length(name(0)), Text(name(1)),
                                Length(name(1)), Text(name(2)), Length(name(2)), Text(name(3)),
                                Length(name(3)));
        break;
      case CatalogKind::kColumns:
        r = SQLColumns(stmt_, Text(name(0)), Length(name(0)), Text(name(1)), Length(name(1)),
                       Text(name(2)), Length(name(2)), Text(name(3)), Length(name(3)));
        break;
      case CatalogKind::kForeignKeys:
        r = SQLForeignKeys(stmt_, Text(name(0)), Length(name(0)), Text(name(1)), Length(name(1)),
                           Text(name(2)), Length(name(2)), Text(name(3)), Length(name(3)),
                           Text(name(4)), Length(name(4)), Text(name(5)), Length(name(5)));
        break;
      case CatalogKind::kPrimaryKeys:
        r = SQLPrimaryKeys(stmt_, Text(name(0)), Length(name(0)), Text(name(1)), Length(name(1)),
                           Text(name(2)), Length(name(2)));
        break;
      case CatalogKind::kProcedureColumns:
        r = SQLProcedureColumns(stmt_, Text(name(0)), Length(name(0)), Text(name(1)),
                                Length(name(1)), Text(name(2)), Length(name(2)), Text(name(3)),
                                Length(name(3)));
        break;
      case CatalogKind::kProcedures:
        r = SQLProcedures(stmt_, Text(name(0)), Length(name(0)), Text(name(1)), Length(name(1)),
                          Text(name(2)), Length(name(2)));
        break;
      case CatalogKind::kSpecialColumns:
        r = SQLSpecialColumns(stmt_, c.column_type, Text(name(0)), Length(name(0)), Text(name(1)),
                              Length(name(1)), Text(name(2)), Length(name(2)), c.scope, c.nullable);
        break;
      case CatalogKind::kStatistics:
        r = SQLStatistics(stmt_, Text(name(0)), Length(name(0)), Text(name(1)), Length(name(1)),
                          Text(name(2)), Length(name(2)), c.unique, c.accuracy);
        break;
      case CatalogKind::kTablePrivileges:
        r = SQLTablePrivileges(stmt_, Text(name(0)), Length(name(0)), Text(name(1)),
                               Length(name(1)), Text(name(2)), Length(name(2)));
        break;
      case CatalogKind::kTables:
        r = SQLTables(stmt_, Text(name(0)), Length(name(0)), Text(name(1)), Length(name(1)),
                      Text(name(2)), Length(name(2)), Text(c.table_types), Length(c.table_types));
        break;
    }
    return Check(r, diags);
  }

  BackendRc DescribeResult(std::vector<ColumnInfo>* columns, DiagList* diags) override {
    columns->clear();
    SQLSMALLINT count = 0;
    BackendRc rc = Check(SQLNumResultCols(stmt_, &count), diags);
    if (!Succeeded(rc)) return rc;
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(std::max<SQLSMALLINT>(count, 0)); ++i) {
      ColumnInfo c;
      SQLCHAR name[256] = "";
      SQLSMALLINT name_length = 0, type = 0, scale = 0, nullable = 0;
      SQLULEN precision = 0;
      BackendRc d = Check(SQLDescribeCol(stmt_, i, name, sizeof name, &name_length, &type,
                                         &precision, &scale, &nullable),
                          diags);
      if (!Succeeded(d)) return d;
      c.name = reinterpret_cast<char*>(name);
      c.sql_type = type;
      c.precision = static_cast<int32_t>(std::min<SQLULEN>(precision, INT32_MAX));
      c.scale = scale;
      c.nullable = nullable;
      c.display_size = static_cast<int32_t>(Number(i, SQL_COLUMN_DISPLAY_SIZE, c.precision));
      c.length = static_cast<int32_t>(Number(i, SQL_COLUMN_LENGTH, c.precision));
      c.case_sensitive = Number(i, SQL_COLUMN_CASE_SENSITIVE, 0) != 0;
      c.searchable = static_cast<int16_t>(Number(i, SQL_COLUMN_SEARCHABLE, 3));
      c.is_unsigned = Number(i, SQL_COLUMN_UNSIGNED, 1) != 0;
      c.money = Number(i, SQL_COLUMN_MONEY, 0) != 0;
      c.auto_increment = Number(i, SQL_COLUMN_AUTO_INCREMENT, 0) != 0;
      c.label = Attribute(i, SQL_COLUMN_LABEL);
      c.table = Attribute(i, SQL_COLUMN_TABLE_NAME);
      c.owner = Attribute(i, SQL_COLUMN_OWNER_NAME);
      c.qualifier = Attribute(i, SQL_COLUMN_QUALIFIER_NAME);
      columns->push_back(std::move(c));
    }
    return rc;
  }

  BackendRc Free(uint16_t option, DiagList* diags) override {
    // The client's columns are bound at the client: the only columns bound
    // here are the arrays of block reads, which a client's unbinding leaves
    // to go on with the result.
    if (option == SQL_UNBIND) return BackendRc::kSuccess;
    if (option == SQL_CLOSE) DropArrays();
    return Check(SQLFreeStmt(stmt_, option), diags);
  }

  BackendRc SetCursorName(const std::string& name, DiagList* diags) override {
    return Check(SQLSetCursorName(
                     stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(name.c_str())), SQL_NTS),
                 diags);
  }

  BackendRc SetOption(uint16_t option, uint32_t value, DiagList* diags) override {
    return Check(SQLSetStmtOption(stmt_, option, value), diags);
  }

  BackendRc GetOption(uint16_t option, uint32_t* value, DiagList* diags) override {
    // Drivers write 32 or 64 bits here; the low word holds the value.
    uint64_t v = 0;
    BackendRc rc = Check(SQLGetStmtOption(stmt_, option, &v), diags);
    *value = static_cast<uint32_t>(v);
    return rc;
  }

  BackendRc Cancel(DiagList* diags) override { return Check(SQLCancel(stmt_), diags); }

  BackendRc Prepare(const std::string& sql, DiagList* diags) override {
    DropArrays();
    return Check(SQLPrepare(stmt_, SqlText(sql), static_cast<SQLINTEGER>(sql.size())), diags);
  }

  BackendRc BindParameter(const ParamBinding& b, DiagList* diags) override {
    static_assert(sizeof(SQLLEN) == sizeof(int64_t));
    return Check(SQLBindParameter(stmt_, b.number, b.io_type, b.c_type, b.sql_type, b.precision,
                                  b.scale, b.buffer, static_cast<SQLLEN>(b.buffer_length),
                                  reinterpret_cast<SQLLEN*>(b.indicator)),
                 diags);
  }

  BackendRc Execute(DiagList* diags) override {
    DropArrays();
    return Check(SQLExecute(stmt_), diags);
  }

  BackendRc ExecDirect(const std::string& sql, DiagList* diags) override {
    DropArrays();
    return Check(SQLExecDirect(stmt_, SqlText(sql), static_cast<SQLINTEGER>(sql.size())), diags);
  }

  BackendRc NumParams(int16_t* count, DiagList* diags) override {
    SQLSMALLINT n = 0;
    BackendRc rc = Check(SQLNumParams(stmt_, &n), diags);
    *count = n;
    return rc;
  }

  BackendRc DescribeParam(uint16_t number, ParamInfo* info, DiagList* diags) override {
    SQLSMALLINT type = 0, scale = 0, nullable = SQL_NULLABLE_UNKNOWN;
    SQLULEN size = 0;
    BackendRc rc = Check(SQLDescribeParam(stmt_, number, &type, &size, &scale, &nullable), diags);
    info->sql_type = type;
    info->precision = static_cast<uint32_t>(std::min<SQLULEN>(size, INT32_MAX));
    info->scale = scale;
    info->nullable = nullable;
    return rc;
  }

  BackendRc RowCount(int64_t* count, DiagList* diags) override {
    SQLLEN n = 0;
    BackendRc rc = Check(SQLRowCount(stmt_, &n), diags);
    *count = n;
    return rc;
  }

  BackendRc Fetch(DiagList* diags) override { return Check(SQLFetch(stmt_), diags); }

  BackendRc GetData(uint16_t column, int16_t c_type, void* buffer, int64_t size, int64_t* indicator,
                    DiagList* diags) override {
    SQLLEN n = 0;
    BackendRc rc =
        Check(SQLGetData(stmt_, column, c_type, buffer, static_cast<SQLLEN>(size), &n), diags);
    *indicator = n;
    return rc;
  }

 private:
  struct Array {
    SQLLEN size = 0;
    std::vector<uint8_t> values;
    std::vector<SQLLEN> lengths;
  };

  BackendRc Check(SQLRETURN r, DiagList* diags) {
    return Checked(r, SQL_NULL_HENV, SQL_NULL_HDBC, stmt_, diags);
  }

  // Back to a row at a time and no bound column.
  void DropArrays() {
    if (array_rows_ == 0) return;
    SQLFreeStmt(stmt_, SQL_UNBIND);
    SQLSetStmtOption(stmt_, SQL_ROWSET_SIZE, 1);
    arrays_.clear();
    row_status_.clear();
    array_rows_ = 0;
    fetched_ = 0;
    row_failure_ = false;
    failure_.clear();
  }

  SQLLEN Number(SQLUSMALLINT column, SQLUSMALLINT attribute, SQLLEN fallback) {
    SQLLEN v = 0;
    SQLRETURN r = SQLColAttributes(stmt_, column, attribute, nullptr, 0, nullptr, &v);
    return SQL_SUCCEEDED(r) ? v : fallback;
  }

  std::string Attribute(SQLUSMALLINT column, SQLUSMALLINT attribute) {
    char text[512] = "";
    SQLSMALLINT length = 0;
    SQLRETURN r = SQLColAttributes(stmt_, column, attribute, text, sizeof text, &length, nullptr);
    return SQL_SUCCEEDED(r) ? std::string(text, strnlen(text, sizeof text)) : std::string();
  }

  SQLHSTMT stmt_;
  const uint32_t max_array_rows_;
  std::vector<Array> arrays_;  // by column, from column 1
  std::vector<SQLUSMALLINT> row_status_;
  uint32_t array_rows_ = 0;  // rows an array holds; 0: none bound
  uint32_t fetched_ = 0;     // rows the last read brought
  bool row_failure_ = false;
  DiagList failure_;
};

class OdbcConnection : public BackendConnection {
 public:
  // `driver_lock` keeps the driver's disconnect and type-information calls
  // apart from its other logins; the latter waits until `login_deadline`.
  OdbcConnection(SQLHDBC dbc, std::shared_ptr<std::timed_mutex> driver_lock,
                 Clock::time_point login_deadline)
      : dbc_(dbc), driver_lock_(std::move(driver_lock)), login_deadline_(login_deadline) {}
  ~OdbcConnection() override {
    std::lock_guard<std::timed_mutex> lock(*driver_lock_);
    SQLDisconnect(dbc_);
    SQLFreeConnect(dbc_);
  }

  BackendRc GetInfoText(uint16_t type, std::string* value, DiagList* diags) override {
    char text[4096] = "";
    SQLSMALLINT length = 0;
    BackendRc rc = Check(SQLGetInfo(dbc_, type, text, sizeof text, &length), diags);
    *value = Succeeded(rc) ? std::string(text, strnlen(text, sizeof text)) : std::string();
    return rc;
  }

  BackendRc GetInfoNumber(uint16_t type, InfoWidth width, uint32_t* value,
                          DiagList* diags) override {
    // Drivers differ in what they write: a few give 16 bits for a 32-bit
    // type or report no length at all. The buffer starts zeroed and the
    // narrower reading wins.
    unsigned char bytes[8] = {};
    SQLSMALLINT length = 0;
    BackendRc rc = Check(SQLGetInfo(dbc_, type, bytes, sizeof bytes, &length), diags);
    if (width == InfoWidth::kU16 || length == 2) {
      uint16_t v;
      std::memcpy(&v, bytes, sizeof v);
      *value = v;
    } else {
      uint32_t v;
      std::memcpy(&v, bytes, sizeof v);
      *value = v;
    }
    return rc;
  }

  BackendRc TypeInfo(std::vector<LnaTypeInfo>* rows, DiagList* diags) override {
    rows->clear();
    if (!LockDriver(*driver_lock_, login_deadline_, diags)) return BackendRc::kError;
    std::lock_guard<std::timed_mutex> lock(*driver_lock_, std::adopt_lock);
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    BackendRc rc = Check(SQLAllocStmt(dbc_, &stmt), diags);
    if (!Succeeded(rc)) return rc;
    rc = Checked(SQLGetTypeInfo(stmt, SQL_ALL_TYPES), SQL_NULL_HENV, SQL_NULL_HDBC, stmt, diags);
    for (int i = 0; Succeeded(rc) && i < kMaxTypeRows && SQL_SUCCEEDED(SQLFetch(stmt)); ++i) {
      LnaTypeInfo t{};
      CopyField(t.type_name, GetString(stmt, 1, sizeof t.type_name));
      t.sql_type = GetShort(stmt, 2);
      t.precision = GetLong(stmt, 3);
      CopyField(t.literal_prefix, GetString(stmt, 4, sizeof t.literal_prefix));
      CopyField(t.literal_suffix, GetString(stmt, 5, sizeof t.literal_suffix));
      CopyField(t.create_params, GetString(stmt, 6, sizeof t.create_params));
      t.nullable = GetShort(stmt, 7);
      t.case_sensitive = GetShort(stmt, 8);
      t.searchable = GetShort(stmt, 9);
      t.unsigned_attribute = GetShort(stmt, 10);
      t.money = GetShort(stmt, 11);
      t.auto_increment = GetShort(stmt, 12);
      CopyField(t.local_type_name, GetString(stmt, 13, sizeof t.local_type_name));
      t.minimum_scale = GetShort(stmt, 14);
      t.maximum_scale = GetShort(stmt, 15);
      rows->push_back(t);
    }
    SQLFreeStmt(stmt, SQL_DROP);
    return rc;
  }

  BackendRc TableTypes(std::vector<std::string>* names, DiagList* diags) override {
    names->clear();
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    BackendRc rc = Check(SQLAllocStmt(dbc_, &stmt), diags);
    if (!Succeeded(rc)) return rc;
    SQLCHAR empty[] = "";
    SQLCHAR all[] = "%";
    rc = Checked(SQLTables(stmt, empty, SQL_NTS, empty, SQL_NTS, empty, SQL_NTS, all, SQL_NTS),
                 SQL_NULL_HENV, SQL_NULL_HDBC, stmt, diags);
    std::set<std::string> seen;
    for (int i = 0; Succeeded(rc) && i < kMaxTableTypes && SQL_SUCCEEDED(SQLFetch(stmt)); ++i) {
      std::string name = GetString(stmt, 4, 128);
      if (!name.empty() && seen.insert(name).second) names->push_back(name);
    }
    SQLFreeStmt(stmt, SQL_DROP);
    return rc;
  }

  BackendRc Functions(std::array<uint16_t, 100>* flags, DiagList* diags) override {
    flags->fill(0);
    return Check(SQLGetFunctions(dbc_, SQL_API_ALL_FUNCTIONS, flags->data()), diags);
  }

  BackendRc SetOption(uint16_t option, const OptionValue& value, DiagList* diags) override {
    SQLULEN v = value.is_text ? reinterpret_cast<SQLULEN>(value.text.c_str()) : value.number;
    return Check(SQLSetConnectOption(dbc_, option, v), diags);
  }

  BackendRc GetOption(uint16_t option, bool text, OptionValue* value, DiagList* diags) override {
    *value = OptionValue{};
    if (text) {
      char buffer[SQL_MAX_OPTION_STRING_LENGTH + 1] = "";
      BackendRc rc = Check(SQLGetConnectOption(dbc_, option, buffer), diags);
      value->is_text = true;
      value->text.assign(buffer, strnlen(buffer, sizeof buffer));
      return rc;
    }
    uint64_t v = 0;
    BackendRc rc = Check(SQLGetConnectOption(dbc_, option, &v), diags);
    value->number = static_cast<uint32_t>(v);
    return rc;
  }

  BackendRc Transact(uint16_t type, DiagList* diags) override {
    return Check(SQLTransact(SQL_NULL_HENV, dbc_, type), diags);
  }

  BackendRc AllocStatement(std::unique_ptr<BackendStatement>* statement, DiagList* diags) override {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    BackendRc rc = Check(SQLAllocStmt(dbc_, &stmt), diags);
    if (!Succeeded(rc)) return rc;
    if (array_rows_allowed_ < 0) array_rows_allowed_ = static_cast<int64_t>(ArrayRowsAllowed(dbc_));
    *statement = std::make_unique<OdbcStatement>(stmt, static_cast<uint32_t>(array_rows_allowed_));
    return rc;
  }

 private:
  BackendRc Check(SQLRETURN r, DiagList* diags) {
    return Checked(r, SQL_NULL_HENV, dbc_, SQL_NULL_HSTMT, diags);
  }

  SQLHDBC dbc_;
  std::shared_ptr<std::timed_mutex> driver_lock_;
  Clock::time_point login_deadline_;
  int64_t array_rows_allowed_ = -1;  // not asked yet
};

}  // namespace

OdbcBackend::OdbcBackend() {
  TurnOffSqliteMemoryTally();
  SQLHENV env = SQL_NULL_HENV;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return;
  if (!SQL_SUCCEEDED(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                                   reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC2), 0))) {
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return;
  }
  env_ = env;
}

OdbcBackend::~OdbcBackend() {
  if (env_ != nullptr) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

std::shared_ptr<std::timed_mutex> OdbcBackend::DriverLock(const std::string& driver) {
  std::lock_guard<std::mutex> lock(driver_locks_mutex_);
  std::shared_ptr<std::timed_mutex>& m = driver_locks_[driver];
  if (m == nullptr) m = std::make_shared<std::timed_mutex>();
  return m;
}

BackendRc OdbcBackend::Connect(const std::string& connection_string, Clock::time_point deadline,
                               std::unique_ptr<BackendConnection>* connection, DiagList* diags) {
  connection->reset();
  if (env_ == nullptr) {
    diags->push_back(Diag{"S1000", 0, "[velsrv]The ODBC environment could not be set up."});
    return BackendRc::kError;
  }
  // Not every driver is safe when several threads connect at once (one
  // sets the locale of the whole process inside its connect, another
  // garbles its type rows now and then): the connects, disconnects and
  // type-information calls of one driver run one at a time, those of
  // different drivers side by side.
  std::shared_ptr<std::timed_mutex> driver_lock = DriverLock(BackendDriverOf(connection_string));
  if (!LockDriver(*driver_lock, deadline, diags)) return BackendRc::kError;
  std::lock_guard<std::timed_mutex> lock(*driver_lock, std::adopt_lock);
  SQLHDBC dbc = SQL_NULL_HDBC;
  BackendRc rc = Checked(SQLAllocConnect(env_, &dbc), env_, SQL_NULL_HDBC, SQL_NULL_HSTMT, diags);
  if (!Succeeded(rc)) return rc;
  // The driver's own connect within what is left of the login's time,
  // where it takes a login timeout at all (a refusal is no fault).
  auto left = std::chrono::duration_cast<std::chrono::seconds>(deadline - Clock::now()).count();
  SQLSetConnectOption(dbc, SQL_LOGIN_TIMEOUT,
                      static_cast<SQLULEN>(std::clamp<int64_t>(left, 1, 86400)));
  // The completed string is not kept: it holds the password.
  SQLCHAR completed[4096];
  SQLSMALLINT completed_length = 0;
  rc = Checked(
      SQLDriverConnect(
          dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connection_string.c_str())),
          SQL_NTS, completed, sizeof completed, &completed_length, SQL_DRIVER_NOPROMPT),
      SQL_NULL_HENV, dbc, SQL_NULL_HSTMT, diags);
  std::memset(completed, 0, sizeof completed);
  if (!Succeeded(rc)) {
    SQLFreeConnect(dbc);
    return rc;
  }
  *connection = std::make_unique<OdbcConnection>(dbc, std::move(driver_lock), deadline);
  return rc;
}

}  // namespace velsrv
