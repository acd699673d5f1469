#include "server/sqlite_tally.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// In a process of its own, where SQLite has not run yet: once the tally is
// off SQLite counts nothing, and so takes no lock for it.
TEST(SqliteTallyTest, SqliteCountsNothingOnceTheTallyIsOff) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        bool off = velsrv::TurnOffSqliteMemoryTally();
        void* library = dlopen("libsqlite3.so.0", RTLD_NOW);
        using Open = int (*)(const char*, void**);
        using Used = long long (*)();
        auto open = reinterpret_cast<Open>(dlsym(library, "sqlite3_open"));
        auto used = reinterpret_cast<Used>(dlsym(library, "sqlite3_memory_used"));
        void* db = nullptr;
        bool counted =
            open == nullptr || used == nullptr || open(":memory:", &db) != 0 || used() != 0;
        std::_Exit(off && !counted ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
