#include "common/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "testing/registry_sandbox.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing_registry::UseSandbox(); }

  static PlatRegKey* User() { return PlatRegRootKey(PlatRegRoot::kCurrentUser); }

  static PlatRegKey* Open(const char* path) {
    PlatRegKey* key = nullptr;
    EXPECT_EQ(PlatRegOpenKey(User(), path, &key), kPlatRegOk) << path;
    return key;
  }
};

TEST_F(RegistryTest, RootNames) {
  struct Case {
    const char* name;
    PlatRegKey* root;
  } cases[] = {
      {"HKEY_CLASSES_ROOT", PlatRegRootKey(PlatRegRoot::kClassesRoot)},
      {"HKEY_CURRENT_CONFIG", PlatRegRootKey(PlatRegRoot::kCurrentConfig)},
      {"hkey_current_user", PlatRegRootKey(PlatRegRoot::kCurrentUser)},
      {"HKEY_Local_Machine", PlatRegRootKey(PlatRegRoot::kLocalMachine)},
      {"HKEY_USERS", PlatRegRootKey(PlatRegRoot::kUsers)},
      {"HKEY_USERSX", nullptr},
      {"HKEY_USER", nullptr},
      {"Software", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RegRootFromName(c.name), c.root);
  }
  EXPECT_EQ(RegRootFromName(nullptr), nullptr);
  EXPECT_EQ(RegRootFromNameN("HKEY_USERS\\Software", 10), PlatRegRootKey(PlatRegRoot::kUsers));
}

TEST_F(RegistryTest, ReadAndWriteBelowARoot) {
  // No root given: the current user's.
  ASSERT_EQ(RegWriteValue(nullptr, "Software\\VelRoot", "S", "K", "v"), 1);
  char buffer[16];
  EXPECT_EQ(RegReadValue(User(), "\\Software\\\\VelRoot\\", "S", "K", buffer, sizeof buffer), 2u);
  EXPECT_STREQ(buffer, "v");
  EXPECT_EQ(RegReadValue(nullptr, "Software\\VelRoot", "S", "K", buffer, sizeof buffer), 2u);
  // A component longer than any key name cannot exist.
  std::string long_path = "Software\\" + std::string(300, 'x');
  EXPECT_EQ(RegReadValue(nullptr, long_path.c_str(), "S", "K", buffer, sizeof buffer), 0u);
  EXPECT_EQ(RegWriteValue(nullptr, long_path.c_str(), "S", "K", "v"), 0);
}

TEST_F(RegistryTest, EnumValuesFitsTheListIntoTheBuffer) {
  for (const char* name : {"ab", "cd", "ef"}) {
    ASSERT_EQ(RegWriteValue(nullptr, "Software\\VelEnum", "S", name, "1"), 1);
  }
  PlatRegKey* key = Open("Software\\VelEnum\\S");
  ASSERT_NE(key, nullptr);
  struct Case {
    uint32_t size;
    uint32_t result;
    std::string bytes;  // the buffer afterwards, with one guard byte behind it
  } cases[] = {
      {11, 9, std::string("ab\0cd\0ef\0\0\0#", 12)},
      {10, 9, std::string("ab\0cd\0ef\0\0#", 11)},  // exactly room for the closing NUL
      {9, 7, std::string("ab\0cd\0\0\0\0#", 10)},   // "ef" would leave no closing NUL
      {7, 5, std::string("ab\0cd\0\0#", 8)},
      {3, 1, std::string("\0\0\0#", 4)},  // not even the first name
      {2, 0, std::string("\0\0#", 3)},
      {1, 0, std::string("#", 1) + "#"},  // too small for any list: untouched
      {0, 0, "#"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(RegEnumValues(key, buffer, c.size), c.result);
    EXPECT_EQ(std::string(buffer, c.bytes.size()), c.bytes);
  }
  PlatRegCloseKey(key);
}

TEST_F(RegistryTest, DeleteTreeRemovesEverythingBelow) {
  for (const char* section : {"a", "a\\b", "a\\b\\c", "a\\b2\\d", "keep"}) {
    ASSERT_EQ(RegWriteValue(nullptr, "Software\\VelTree", section, "V", "1"), 1);
  }
  PlatRegKey* tree = Open("Software\\VelTree");
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(RegDeleteTree(tree, "A"), kPlatRegOk);
  char buffer[16];
  for (const char* section : {"a", "a\\b", "a\\b\\c", "a\\b2\\d"}) {
    EXPECT_EQ(RegReadValue(nullptr, "Software\\VelTree", section, "V", buffer, sizeof buffer), 0u)
        << section;
  }
  PlatRegKey* gone = nullptr;
  EXPECT_EQ(PlatRegOpenKey(tree, "a", &gone), kPlatRegNotFound);
  EXPECT_EQ(RegReadValue(nullptr, "Software\\VelTree", "keep", "V", buffer, sizeof buffer), 2u);
  EXPECT_EQ(RegDeleteTree(tree, "a"), kPlatRegOk);  // not there: nothing to do
  PlatRegCloseKey(tree);
}

TEST_F(RegistryTest, ASystemDataSourceCannotBeDeletedThroughTheUsersKey) {
  // The user's view of the data sources includes the system's; deleting one
  // of those there would change nothing, so it must not report success.
  PlatRegKey* machine = PlatRegRootKey(PlatRegRoot::kLocalMachine);
  ASSERT_EQ(RegWriteValue(machine, "Software\\ODBC\\ODBC.INI", "VelSysOnly", "Driver", "d"), 1);
  char buffer[16];
  ASSERT_EQ(RegReadValue(nullptr, "Software\\ODBC\\ODBC.INI", "VelSysOnly", "Driver", buffer,
                         sizeof buffer),
            2u);
  EXPECT_EQ(RegWriteValue(nullptr, "Software\\ODBC\\ODBC.INI", "VelSysOnly", nullptr, nullptr), 0);
  EXPECT_EQ(RegReadValue(machine, "Software\\ODBC\\ODBC.INI", "VelSysOnly", "Driver", buffer,
                         sizeof buffer),
            2u);
  EXPECT_EQ(RegWriteValue(machine, "Software\\ODBC\\ODBC.INI", "VelSysOnly", nullptr, nullptr), 1);
  EXPECT_EQ(RegReadValue(machine, "Software\\ODBC\\ODBC.INI", "VelSysOnly", "Driver", buffer,
                         sizeof buffer),
            0u);
}

}  // namespace
