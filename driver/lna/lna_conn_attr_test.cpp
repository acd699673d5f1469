// The call layer's settings read from a login's connection string, the
// masked password of its trace, and the records' list and pool.
#include "driver/lna/lna_conn_attr.h"

#include <string>

#include "common/profile.h"
#include "testing/lna_call_test_support.h"
#include "testing/temp_dir.h"

namespace lna_call_test {
namespace {

class ConnAttrTest : public CallLayerTest {};

TEST_F(ConnAttrTest, ItemValues) {
  struct Case {
    const char* name;
    const char* conn_string;
    const char* key;
    size_t size;
    int16_t expected;
    const char* value;
    int32_t native;  // of the diagnostic; 0: none
  };
  const Case cases[] = {
      {"plain", "DSN=a;ServerName=h.1;UID=u", "ServerName", 64, kLnaOk, "h.1", 0},
      {"absent", "DSN=a", "ServerName", 64, kLnaOk, "", 0},
      {"last item", "DSN=a;UID=u", "UID", 64, kLnaOk, "u", 0},
      {"quotes keep ';'", "X=\"a;b\";Y=1", "X", 64, kLnaOk, "\"a;b\"", 0},
      {"found inside a longer key", "MyServerName=x;ServerName=y", "ServerName", 64, kLnaOk, "x",
       0},
      {"empty value", "UID=;PWD=p", "UID", 64, kLnaOk, "", 0},
      {"no '='", "DSN=a;ArrayFetchOn", "ArrayFetchOn", 64, kLnaFailed, "", 1501},
      {"value too long", "UID=abcdef", "UID", 6, kLnaFailed, "", 1502},
      {"value just fits", "UID=abcde", "UID", 6, kLnaOk, "abcde", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LnaConnection* conn = nullptr;
    ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
    char out[64] = "junk";
    EXPECT_EQ(LnaGetConnAttr(conn, nullptr, c.key, c.conn_string, out, c.size), c.expected);
    EXPECT_STREQ(out, c.value);
    EXPECT_EQ(conn->diag_waiting, c.native != 0 ? 1u : 0u);
    if (c.native != 0) {
      EXPECT_EQ(conn->diag.native_error, c.native);
    }
    LnaFreeConnect(conn);
  }
}

TEST_F(ConnAttrTest, ArrayFetchAndAsyncSettings) {
  struct Case {
    const char* conn_string;
    uint32_t array_fetch;
    uint32_t buffer_size;
    uint32_t async_disabled;
  };
  const std::string long_size = "ArrayFetchOn=1;ArrayBufferSize=" + std::string(130, '9');
  const Case cases[] = {
      {"DSN=a", 0, 8192, 0},
      {"ArrayFetchOn=Yes;ArrayBufferSize=63", 1, 64512, 0},
      {"ArrayFetchOn=on;ArrayBufferSize=64", 0, 8192, 0},
      {"ArrayFetchOn=1;ArrayBufferSize=0", 0, 8192, 0},
      {"ArrayFetchOn=1", 1, 8192, 0},
      {"ArrayFetchOn=1;ArrayBufferSize=abc", 0, 8192, 0},
      // So many kilobytes that their bytes would wrap round to 1 KB.
      {"ArrayFetchOn=1;ArrayBufferSize=4194305", 0, 8192, 0},
      {long_size.c_str(), 1, 8192, 0},
      {"ArrayFetchOn=false;ArrayBufferSize=4", 0, 8192, 0},
      {"ArrayBufferSize=4;ArrayFetchOn", 1, 4096, 0},
      {"AsyncEnable=off", 0, 8192, 1},
      {"AsyncEnable=0", 0, 8192, 1},
      {"AsyncEnable=yes", 0, 8192, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.conn_string);
    LnaConnection* conn = nullptr;
    ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
    LnaReadArrayFetch(conn, c.conn_string);
    LnaReadAsyncEnable(conn, c.conn_string);
    EXPECT_EQ(conn->array_fetch, c.array_fetch);
    EXPECT_EQ(conn->array_buffer_size, c.buffer_size);
    EXPECT_EQ(conn->async_disabled, c.async_disabled);
    LnaFreeConnect(conn);
  }
}

TEST_F(ConnAttrTest, PasswordMasking) {
  const std::pair<const char*, const char*> cases[] = {
      {"DSN=a;PWD=secret;UID=u", "DSN=a;PWD=******;UID=u"},
      {"PWD=x;PWD=y", "PWD=*;PWD=*"},
      {"DSN=a;PWD=one;UID=u;PWD=two", "DSN=a;PWD=***;UID=u;PWD=***"},
      {"XPWD;PWD=tiger", "XPWD;PWD=*****"},
      {"PWD=;UID=u", "PWD=;UID=u"},
      {"UID=u", "UID=u"},
      // Other drivers' key, which users paste into connection strings.
      {"DSN=a;Password=secret;UID=u", "DSN=a;Password=******;UID=u"},
      {"pwd=x; PASSWORD =y", "pwd=*; PASSWORD =*"},
      {"OldPassword=1;PWDX=2", "OldPassword=1;PWDX=2"},
      // A quoted or braced password is masked whole; another item's stray
      // quote hides nothing.
      {"PWD=\"a;b\";UID=u", "PWD=*****;UID=u"},
      {"PWD={a;b};UID=u", "PWD=*****;UID=u"},
      {"DSN={x;PWD=secret", "DSN={x;PWD=******"},
  };
  for (const auto& [in, out] : cases) {
    std::string s = in;
    MaskConnPassword(s.data());
    EXPECT_EQ(s, out) << in;
  }
}

// The login's trace shows the connection string with the password masked,
// also when the login then fails.
TEST_F(ConnAttrTest, LoginTraceMasksThePassword) {
  constexpr const char* kPath = "HKEY_CURRENT_USER\\Software\\odbc\\odbc.ini";
  TempDir dir;
  ASSERT_EQ(ProfileWriteString(kPath, "TracedDsn", "LnaTrace", "1"), 1);
  ASSERT_EQ(ProfileWriteString(kPath, "TracedDsn", "TraceOutput", dir.Path("lna.log").c_str()), 1);
  LnaConnection* conn = nullptr;
  ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
  std::string login = "DSN=TracedDsn;ServerName=" + RefusedAddress() + ";PWD=tiger;UID=scott";
  EXPECT_EQ(LoginOuts().Login(conn, login), kLnaFailed);
  EXPECT_EQ(LnaIsBroken(conn), 1u);
  LnaFreeConnect(conn);  // closes the trace
  ProfileWriteString(kPath, "TracedDsn", nullptr, nullptr);

  std::string log = dir.Read("lna.log");
  EXPECT_NE(log.find("PWD=*****;UID=scott"), std::string::npos) << log;
  EXPECT_EQ(log.find("tiger"), std::string::npos) << log;
  EXPECT_NE(log.find("LnaConnectMP returned -20"), std::string::npos) << log;
}

// A server host whose name does not resolve is named in the diagnostic.
TEST_F(ConnAttrTest, LoginToAnUnknownHostNamesIt) {
  LnaConnection* conn = nullptr;
  ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
  EXPECT_EQ(LoginOuts().Login(conn, "DSN=a;ServerName=no-such-host.invalid.1583"), kLnaFailed);
  LnaDiagRecord d{};
  uint16_t count = 0;
  ASSERT_EQ(LnaGetDiagnostics(conn, nullptr, &d, &count), kLnaOk);
  ASSERT_EQ(count, 1);
  EXPECT_STREQ(d.sqlstate, "08001");
  EXPECT_NE(std::string(d.text).find("\"no-such-host.invalid\""), std::string::npos) << d.text;
  LnaFreeConnect(conn);
}

TEST_F(ConnAttrTest, LoginWithoutServerNameIsRefusedAndNotBroken) {
  LnaConnection* conn = nullptr;
  ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
  EXPECT_EQ(LoginOuts().Login(conn, "DSN=a;UID=u"), kLnaFailed);
  EXPECT_EQ(LnaIsBroken(conn), 0u);
  LnaDiagRecord d = Diagnostic(conn, nullptr);
  EXPECT_STREQ(d.sqlstate, "S1000");
  EXPECT_EQ(d.native_error, 1101);
  EXPECT_EQ(std::string(d.text), Prefixed(Text(8125)));
  LnaFreeConnect(conn);
}

TEST_F(ConnAttrTest, LastConnectionTakesThePoolAlong) {
  LnaConnection* first = nullptr;
  LnaConnection* second = nullptr;
  ASSERT_EQ(LnaAllocConnect(&first), kLnaOk);
  ASSERT_EQ(LnaAllocConnect(&second), kLnaOk);
  EXPECT_EQ(TEST_LnaConnectionCount(), 2u);
  LnaFreeConnect(first);
  EXPECT_EQ(TEST_LnaConnectionCount(), 1u);
  LnaFreeConnect(second);
  EXPECT_EQ(TEST_LnaConnectionCount(), 0u);
  ASSERT_EQ(LnaAllocConnect(&first), kLnaOk);  // a new pool
  EXPECT_EQ(TEST_LnaConnectionCount(), 1u);
  LnaFreeConnect(first);
}

}  // namespace
}  // namespace lna_call_test
