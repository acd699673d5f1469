// Private odbcinst.ini and odbc.ini for a test program: the SQLite ODBC
// driver as "VelsrvSQLite" and the data source "velsrv_sqlite" on a
// database file in a temporary folder. Registered at namespace scope, it
// is in place before the program's first ODBC call (unixODBC reads the
// files once per process).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

class TempDir;

class SqliteOdbcFiles : public ::testing::Environment {
 public:
  SqliteOdbcFiles();
  ~SqliteOdbcFiles() override;
  void SetUp() override;
  void TearDown() override;

  // The folder of the files and the database, while the program runs.
  static const std::filesystem::path& dir();

 private:
  std::unique_ptr<TempDir> dir_;
  void* installer_ = nullptr;
};

// Registers the files for the whole program; call at namespace scope.
SqliteOdbcFiles* AddSqliteOdbcFiles();
