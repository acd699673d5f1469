#include "testing/sqlite_odbc_files.h"

#include <dlfcn.h>
#include <stdlib.h>

#include "testing/temp_dir.h"

namespace {

std::filesystem::path g_dir;

}  // namespace

SqliteOdbcFiles::SqliteOdbcFiles() = default;
SqliteOdbcFiles::~SqliteOdbcFiles() = default;

void SqliteOdbcFiles::SetUp() {
  dir_ = std::make_unique<TempDir>();
  g_dir = dir_->path();
  dir_->Write("odbcinst.ini",
              "[VelsrvSQLite]\n"
              "Description = SQLite for the server tests\n"
              "Driver = " VEL_SQLITE_ODBC_DRIVER "\n");
  dir_->Write("odbc.ini",
              "[velsrv_sqlite]\nDriver = VelsrvSQLite\nDatabase = " + dir_->Path("test.db") + "\n");
  setenv("ODBCSYSINI", dir_->path().c_str(), 1);
  setenv("ODBCINI", dir_->Path("odbc.ini").c_str(), 1);
  // The driver manager loads its installer library to look data sources
  // up and unloads it at exit, while its cache of the files still holds
  // memory: kept resident, that memory stays reachable for the leak check.
  installer_ = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_NODELETE);
}

void SqliteOdbcFiles::TearDown() {
  dir_.reset();
}

const std::filesystem::path& SqliteOdbcFiles::dir() {
  return g_dir;
}

SqliteOdbcFiles* AddSqliteOdbcFiles() {
  return static_cast<SqliteOdbcFiles*>(::testing::AddGlobalTestEnvironment(new SqliteOdbcFiles));
}
