// Reading diagnostics: the client's own first, one per read, then the
// server's; what a refused login leaves; a diagnostic read while the
// settings were read does not outlive a successful login.
#include <cstring>

#include "driver/lna/lna_errors.h"
#include "testing/lna_call_test_support.h"

namespace lna_call_test {
namespace {

class DiagnosticsTest : public CallLayerTest {};

TEST_F(DiagnosticsTest, ClientDiagnosticFirstThenTheServersUpToTen) {
  struct Case {
    const char* name;
    bool on_statement;
  };
  for (const Case& c : {Case{"connection", false}, Case{"statement", true}}) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer({Steps({Answer(1, DiagFields({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}))})});
    LnaConnection* conn = Connected(peer);
    LnaStatement* stmt = c.on_statement ? Stmt(conn) : nullptr;
    PostLnaError(c.on_statement ? nullptr : conn, stmt, kLnaMsgTruncated, 0, kLocInfoShort32);

    LnaDiagRecord d[kLnaMaxDiagnostics];
    uint16_t n = 0;
    ASSERT_EQ(LnaGetDiagnostics(conn, stmt, d, &n), kLnaOk);
    ASSERT_EQ(n, 1);
    EXPECT_STREQ(d[0].sqlstate, "01004");
    EXPECT_EQ(d[0].native_error, 1113);
    EXPECT_EQ(std::string(d[0].text), Prefixed("Data truncated."));

    ASSERT_EQ(LnaGetDiagnostics(conn, stmt, d, &n), kLnaInfo);
    ASSERT_EQ(n, kLnaMaxDiagnostics);
    EXPECT_EQ(d[0].native_error, 1);
    EXPECT_EQ(d[9].native_error, 10);

    Bytes request = peer.Received(0).at(0);
    Bytes ids(request.end() - 8, request.end());
    EXPECT_EQ(ids, c.on_statement ? Cat({Be32(0), Be32(kServerStmt)})
                                  : Cat({Be32(kServerConn), Be32(0)}));
  }
}

TEST_F(DiagnosticsTest, WithoutAnyRecordNothingIsRead) {
  LnaDiagRecord d[kLnaMaxDiagnostics];
  uint16_t n = 7;
  EXPECT_EQ(LnaGetDiagnostics(nullptr, nullptr, d, &n), kLnaNoRecord);
  EXPECT_EQ(n, 0);
}

// A message text longer than the record is cut, never overrun, and the
// prefix always leads.
TEST_F(DiagnosticsTest, SavedTextIsCutToTheRecord) {
  LnaConnection* conn = nullptr;
  ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
  std::string long_text(900, 'x');
  SaveLnaDiagnostic(conn, nullptr, "HY000-and-more", 7, long_text.c_str());
  LnaDiagRecord d = Diagnostic(conn, nullptr);
  EXPECT_STREQ(d.sqlstate, "HY000");
  EXPECT_EQ(std::strlen(d.text), 512u);
  EXPECT_EQ(std::string(d.text).rfind(Text(0x80001F41u), 0), 0u);
  LnaFreeConnect(conn);
}

}  // namespace
}  // namespace lna_call_test
