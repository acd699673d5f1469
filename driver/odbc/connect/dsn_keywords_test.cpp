// Keywords completed from a data source's section of odbc.ini. The
// installer caches what it read for a while, so every case has its own
// data source.
#include "driver/odbc/connect/dsn_keywords.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "driver/odbc/core/conn_keyword.h"
#include "testing/registry_sandbox.h"

namespace {

struct Keywords {
  ConnKeyword table[kDefaultKeywordCount];
  Keywords() { std::memcpy(table, kDefaultConnKeywords, sizeof table); }
  ConnKeyword& operator[](uint32_t i) { return table[i]; }
  void Set(uint32_t i, const char* value) {
    std::strcpy(table[i].value, value);
    table[i].set = 1;
  }
};

class DsnKeywordsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const testing_registry::Sandbox& sandbox = testing_registry::UseSandbox();
    std::ofstream(sandbox.odbc_user_ini)
        << "[full]\nDriver=VeltoTest\nServerName=h.1583\nServerDSN=sqlite\nUID=ann\n"
           "ArrayBufferSize=16\nDescription=a test\nHost=pc7\nEmpty=\nuid=other\n"
        << "[bare]\nDriver=VeltoTest\nServerName=h.1\n"
        << "[fetchoff]\nArrayFetchOn=0\nArrayBufferSize=32\n"
        << "[fetchgiven]\nArrayBufferSize=32\n"
        << "[long]\nServerName=h.1\nA=" << std::string(200, 'a') << "\nB=" << std::string(200, 'b')
        << "\n";
  }
  static void UseDsn(Keywords& k, const char* dsn) { k.Set(kKeywordDsn, dsn); }
};

TEST_F(DsnKeywordsTest, UnsetKeywordsComeFromTheSection) {
  Keywords k;
  UseDsn(k, "full");
  k.Set(kKeywordUid, "given");
  EXPECT_EQ(ReadDsnKeywords(k.table, kDefaultKeywordCount, kKeywordDsn, kKeywordDriver), 0);
  EXPECT_STREQ(k[kKeywordServerName].value, "h.1583");
  EXPECT_STREQ(k[kKeywordServerDsn].value, "sqlite");
  EXPECT_STREQ(k[kKeywordUid].value, "given");
  EXPECT_STREQ(k[kKeywordArrayBufferSize].value, "16");
  EXPECT_EQ(k[kKeywordPwd].set, 0u);
  EXPECT_EQ(k[kKeywordDriver].set, 0u);  // DRIVER is never read
}

TEST_F(DsnKeywordsTest, NothingIsReadWhenDriverIsGiven) {
  Keywords k;
  UseDsn(k, "full");
  k.Set(kKeywordDriver, "VeltoTest");
  ReadDsnKeywords(k.table, kDefaultKeywordCount, kKeywordDsn, kKeywordDriver);
  EXPECT_EQ(k[kKeywordServerName].set, 0u);
}

// Asked for section "", the installer answers from the first section that
// holds the key: another data source's.
TEST_F(DsnKeywordsTest, WithoutADsnNothingIsRead) {
  Keywords k;
  EXPECT_EQ(ReadDsnKeywords(k.table, kDefaultKeywordCount, kKeywordDsn, kKeywordDriver), 0);
  for (uint32_t i = 0; i < kDefaultKeywordCount; ++i) {
    EXPECT_EQ(k[i].set, 0u) << k[i].name;
    EXPECT_STREQ(k[i].value, "") << k[i].name;
  }
  char text[256] = "DRIVER=VeltoTest;UID=u;";
  k.Set(kKeywordDriver, "VeltoTest");
  EXPECT_EQ(AppendExtraDsnKeys(k.table, kDefaultKeywordCount, kKeywordDsn, kKeywordDriver, text,
                               sizeof text),
            0);
  EXPECT_STREQ(text, "DRIVER=VeltoTest;UID=u");
}

TEST_F(DsnKeywordsTest, ArrayDefaults) {
  struct Case {
    const char* dsn;          // empty: DRIVER given instead
    const char* fetch_given;  // null: not given
    const char* want_fetch;
    const char* want_size;  // null: stays unset
  };
  const Case cases[] = {
      {"bare", nullptr, "1", "8"},
      {"fetchoff", nullptr, "0", "32"},
      {"fetchgiven", "1", "1", nullptr},
      {"", nullptr, "1", "8"},
  };
  for (const Case& c : cases) {
    Keywords k;
    if (*c.dsn != '\0') {
      UseDsn(k, c.dsn);
    } else {
      k.Set(kKeywordDriver, "VeltoTest");
    }
    if (c.fetch_given != nullptr) k.Set(kKeywordArrayFetchOn, c.fetch_given);
    ReadDsnArrayDefaults(k.table, kDefaultKeywordCount, kKeywordDsn, kKeywordDriver);
    EXPECT_STREQ(k[kKeywordArrayFetchOn].value, c.want_fetch) << c.dsn;
    if (c.want_size == nullptr) {
      EXPECT_EQ(k[kKeywordArrayBufferSize].set, 0u) << c.dsn;
    } else {
      EXPECT_STREQ(k[kKeywordArrayBufferSize].value, c.want_size) << c.dsn;
    }
  }
}

TEST_F(DsnKeywordsTest, FurtherKeysAreAppendedWithoutTheKnownOnes) {
  Keywords k;
  UseDsn(k, "full");
  char text[256] = "DSN=full;";
  EXPECT_EQ(AppendExtraDsnKeys(k.table, kDefaultKeywordCount, kKeywordDsn, kKeywordDriver, text,
                               sizeof text),
            0);
  EXPECT_STREQ(text, "DSN=full;Description=a test;Host=pc7");
}

TEST_F(DsnKeywordsTest, AKeyThatDoesNotFitIsLeftOutWhole) {
  Keywords k;
  UseDsn(k, "long");
  char text[300] = "DSN=long";
  AppendExtraDsnKeys(k.table, kDefaultKeywordCount, kKeywordDsn, kKeywordDriver, text, sizeof text);
  EXPECT_EQ(std::string(text), "DSN=long;A=" + std::string(200, 'a'));
}

}  // namespace
