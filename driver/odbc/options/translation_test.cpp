// Translation libraries: loading by connection option, refusals that keep
// the library loaded before, and statement text translated into a copy.
#include "driver/odbc/options/translation.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "common/memory.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/options/conn_options_api.h"
#include "testing/conn_test_support.h"
#include "testing/temp_dir.h"

namespace {

SQLULEN TextValue(const char* text) {
  return reinterpret_cast<SQLULEN>(text);
}

class TranslationTest : public ::testing::Test {
 protected:
  DrvConn* conn() const { return fixture_.conn(); }

  SQLRETURN Load(const char* name) {
    return SQLSetConnectOptionImpl(conn(), SQL_TRANSLATE_DLL, TextValue(name));
  }
  std::string LoadedName() {
    char name[256] = "unwritten";
    EXPECT_EQ(SQLGetConnectOptionImpl(conn(), SQL_TRANSLATE_DLL, name), SQL_SUCCESS);
    return name;
  }
  // The first diagnostic's SQLSTATE and text; the list is emptied.
  std::string Diagnostic() {
    SQLCHAR state[6] = {};
    SQLCHAR text[600] = {};
    SQLSMALLINT length = 0;
    std::string got;
    if (SQLErrorImpl(nullptr, conn(), nullptr, state, nullptr, text, sizeof text, &length) ==
        SQL_SUCCESS)
      got = std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(text);
    fixture_.States();
    return got;
  }

  ConnFixture fixture_;
};

TEST_F(TranslationTest, WithoutALibraryTheTextIsSentAsGiven) {
  char* copy = reinterpret_cast<char*>(1);
  EXPECT_EQ(TranslateStatementText(conn(), nullptr, "select 1", &copy), 1);
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(LoadedName(), "");
}

TEST_F(TranslationTest, StatementTextIsTranslatedIntoACopy) {
  ASSERT_EQ(Load(VEL_XLAT_LIBRARY), SQL_SUCCESS);
  EXPECT_EQ(LoadedName(), VEL_XLAT_LIBRARY);
  struct Case {
    uint32_t option;
    const char* text;
    int result;
    const char* translated;  // null: no copy
  } const cases[] = {
      {0, "select a from t", 1, "SELECT A FROM T"},
      {0, "", 1, ""},
      {2, "ab", 1, "ABAB"},  // longer than its source
      {99, "select", 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(SQLSetConnectOptionImpl(conn(), SQL_TRANSLATE_OPTION, c.option), SQL_SUCCESS);
    // Exactly the text's size: a translation written back in place would
    // run past it.
    std::string given(c.text);
    char* copy = nullptr;
    EXPECT_EQ(TranslateStatementText(conn(), nullptr, given.c_str(), &copy), c.result);
    EXPECT_EQ(given, c.text);
    if (c.translated == nullptr) {
      EXPECT_EQ(copy, nullptr);
      EXPECT_EQ(Diagnostic(), "IM009 Translation refused by the test library");
    } else {
      ASSERT_NE(copy, nullptr);
      EXPECT_STREQ(copy, c.translated);
      EXPECT_EQ(Diagnostic(), "");
    }
    MemFree(copy);
  }
}

TEST_F(TranslationTest, RefusedLibrariesLeaveThePreviousOneLoaded) {
  ASSERT_EQ(Load(VEL_XLAT_LIBRARY), SQL_SUCCESS);
  struct Case {
    const char* name;
    const char* state;
  } const cases[] = {
      {VEL_XLAT_HALF_LIBRARY, "IM009"},  // lacks SQLDataSourceToDriver
      {"/nonexistent/translation.so", "IM009"},
      {nullptr, "S1009"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name != nullptr ? c.name : "null");
    EXPECT_EQ(Load(c.name), SQL_ERROR);
    EXPECT_EQ(fixture_.States(), std::vector<std::string>{c.state});
    EXPECT_EQ(LoadedName(), VEL_XLAT_LIBRARY);
    char* copy = nullptr;
    EXPECT_EQ(TranslateStatementText(conn(), nullptr, "go", &copy), 1);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "GO");
    MemFree(copy);
  }
}

TEST_F(TranslationTest, AnEmptyNameUnloads) {
  ASSERT_EQ(Load(VEL_XLAT_LIBRARY), SQL_SUCCESS);
  ASSERT_EQ(Load(""), SQL_SUCCESS);
  EXPECT_EQ(LoadedName(), "");
  EXPECT_EQ(conn()->translate_module, nullptr);
  char* copy = nullptr;
  EXPECT_EQ(TranslateStatementText(conn(), nullptr, "go", &copy), 1);
  EXPECT_EQ(copy, nullptr);
}

TEST_F(TranslationTest, ALongLibraryNameIsReadBackCutToTheOptionSize) {
  TempDir dir;
  const std::string folder = dir.Path(std::string(150, 'x'));
  const std::string path = folder + "/" + std::string(150, 'y') + ".so";
  std::filesystem::create_directory(folder);
  std::filesystem::create_symlink(VEL_XLAT_LIBRARY, path);
  ASSERT_EQ(Load(path.c_str()), SQL_SUCCESS);
  char read[300];
  std::memset(read, '#', sizeof read);
  ASSERT_EQ(SQLGetConnectOptionImpl(conn(), SQL_TRANSLATE_DLL, read), SQL_SUCCESS);
  EXPECT_EQ(std::string(read), path.substr(0, 255));
  EXPECT_EQ(read[256], '#');
  ASSERT_EQ(Load(""), SQL_SUCCESS);
}

TEST_F(TranslationTest, ValuesAreCopiedByTypeWithoutALibrary) {
  struct Case {
    int16_t c_type;
    int32_t source_length;
    int32_t target_size;
    int32_t copied;
  } const cases[] = {
      {SQL_INTEGER, 99, 32, 4},     {SQL_SMALLINT, 99, 32, 2},
      {SQL_BIT, 99, 32, 1},         {SQL_DOUBLE, 99, 32, 8},
      {SQL_DATE, 99, 32, 6},        {SQL_TIMESTAMP, 99, 32, 16},
      {SQL_C_CHAR, SQL_NTS, 32, 6},  // "hello" and its NUL
      {SQL_C_CHAR, SQL_NTS, 3, 3},   // cut to the target
      {SQL_VARBINARY, 5, 32, 5},    {SQL_C_CHAR, SQL_NULL_DATA, 32, SQL_NULL_DATA},
  };
  const char source[32] = "hello";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.c_type);
    char target[40];
    std::memset(target, '#', sizeof target);
    int32_t out = -99;
    EXPECT_EQ(TranslateValue(conn(), nullptr, c.c_type, source, c.source_length, target,
                             c.target_size, &out),
              1);
    EXPECT_EQ(out, c.copied);
    const int32_t n = c.copied < 0 ? 0 : c.copied;
    EXPECT_EQ(std::memcmp(target, source, static_cast<size_t>(n)), 0);
    EXPECT_EQ(target[c.target_size], '#');  // nothing past the target
  }
}

}  // namespace
