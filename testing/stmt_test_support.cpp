#include "testing/stmt_test_support.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>

#include "driver/odbc/connect/login_data.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/statement/exec_params.h"

StmtFixture::StmtFixture() {
  stmt_.conn = conn();
  stmt_.state = kStmtAllocated;
  stmt_.diagnostics = CreateDiagList();
  stmt_.data_at_exec_param = -1;
}

StmtFixture::~StmtFixture() {
  DrvResetStmt(&stmt_);
  FreeStmtParamBuffers(&stmt_);
  FreeParamBindings(&stmt_);
  DestroyDiagList(stmt_.diagnostics);
}

std::vector<std::string> StmtFixture::Messages() {
  std::vector<std::string> out;
  SQLCHAR state[6] = {};
  SQLCHAR text[512] = {};
  while (SQLErrorImpl(nullptr, nullptr, &stmt_, state, nullptr, text, sizeof text, nullptr) !=
         SQL_NO_DATA_FOUND) {
    out.push_back(std::string(reinterpret_cast<char*>(state)) + ":" +
                  reinterpret_cast<char*>(text));
  }
  return out;
}

std::vector<std::string> StmtFixture::States() {
  std::vector<std::string> out;
  for (const std::string& m : Messages()) out.push_back(m.substr(0, 5));
  return out;
}

void StmtFixture::Login(const std::vector<LnaTypeInfo>& types,
                        const std::vector<LnaTableType>& table_types) {
  ASSERT_EQ(StoreLoginTypes(conn(), types.data(), static_cast<uint32_t>(types.size()),
                            table_types.data(), static_cast<uint32_t>(table_types.size())),
            0);
}

LnaTypeInfo ServerType(const char* name, int16_t sql_type, const char* local_name) {
  LnaTypeInfo t{};
  std::strncpy(t.type_name, name, sizeof t.type_name - 1);
  std::strncpy(t.local_type_name, local_name, sizeof t.local_type_name - 1);
  t.sql_type = sql_type;
  t.precision = 10;
  return t;
}

LnaTableType TableType(const char* name, int32_t bit) {
  LnaTableType t{};
  std::strncpy(t.name, name, sizeof t.name - 1);
  t.bit = bit;
  return t;
}
