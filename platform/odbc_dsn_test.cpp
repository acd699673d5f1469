#include "platform/odbc_dsn.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"
#include "testing/registry_sandbox.h"

namespace {

class OdbcDsnTest : public ::testing::Test {
 protected:
  void SetUp() override { testing_registry::UseSandbox(); }
  static std::string Get(PlatDsnScope scope, const char* dsn, const char* key) {
    std::string v;
    return PlatDsnGetValue(scope, dsn, key, &v) ? v : "<missing>";
  }
};

TEST_F(OdbcDsnTest, EachScopeSeesOnlyItsOwnFile) {
  ASSERT_TRUE(PlatDsnCreate(PlatDsnScope::kSystem, "SysOnly", "DrvA"));
  ASSERT_TRUE(PlatDsnSetValue(PlatDsnScope::kSystem, "SysOnly", "ServerName", "a.1"));
  ASSERT_TRUE(PlatDsnCreate(PlatDsnScope::kUser, "UserOnly", "DrvB"));

  std::vector<std::string> user;
  std::vector<std::string> system;
  ASSERT_TRUE(PlatDsnList(PlatDsnScope::kUser, &user));
  ASSERT_TRUE(PlatDsnList(PlatDsnScope::kSystem, &system));
  EXPECT_EQ(user, std::vector<std::string>{"UserOnly"});
  EXPECT_EQ(system, std::vector<std::string>{"SysOnly"});
  EXPECT_EQ(Get(PlatDsnScope::kUser, "SysOnly", "ServerName"), "<missing>");
  EXPECT_EQ(Get(PlatDsnScope::kSystem, "SysOnly", "Driver"), "DrvA");

  // A user write for the system's name makes a user data source of its own
  // and leaves the system one as it was.
  ASSERT_TRUE(PlatDsnSetValue(PlatDsnScope::kUser, "SysOnly", "ServerName", "b.2"));
  EXPECT_EQ(Get(PlatDsnScope::kSystem, "SysOnly", "ServerName"), "a.1");

  ASSERT_TRUE(PlatDsnRemove(PlatDsnScope::kSystem, "SysOnly"));
  EXPECT_EQ(Get(PlatDsnScope::kSystem, "SysOnly", "Driver"), "<missing>");
  EXPECT_EQ(Get(PlatDsnScope::kUser, "SysOnly", "ServerName"), "b.2");
  EXPECT_FALSE(PlatDsnSetValue(PlatDsnScope::kUser, "UserOnly", "Description", "two\nlines"));
}

TEST_F(OdbcDsnTest, AWriteToTheDriversKeyReadsBackAtOnce) {
  PlatRegKey* key = nullptr;
  ASSERT_EQ(PlatRegCreateKey(PlatRegRootKey(PlatRegRoot::kLocalMachine),
                             "Software\\ODBC\\ODBCINST.INI\\DrvCache", &key),
            kPlatRegOk);
  for (const char* value : {"1", "2", "3"}) {
    ASSERT_EQ(PlatRegSetValue(key, "Setting", value), kPlatRegOk);
    char buffer[16];
    uint32_t size = sizeof buffer;
    ASSERT_EQ(PlatRegQueryValue(key, "Setting", buffer, &size), kPlatRegOk);
    EXPECT_STREQ(buffer, value);
  }
  PlatRegCloseKey(key);
}

TEST_F(OdbcDsnTest, FileDataSourcesLieBesideTheSystemFiles) {
  EXPECT_EQ(PlatFileDsnDirectory(),
            testing_registry::UseSandbox().odbc_sys_dir + "/ODBCDataSources");
}

}  // namespace
