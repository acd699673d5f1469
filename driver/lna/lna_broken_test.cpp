// A broken connection: how a transport failure breaks it, and how every
// operation then refuses without a request.
#include <functional>

#include "driver/lna/lna_call_test_support.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/net_error.h"

namespace lna_call_test {
namespace {

using Op = std::function<int16_t(LnaConnection*, LnaStatement*)>;

struct RefusalCase {
  const char* name;
  int32_t location;
  bool on_statement;  // the diagnostic is the statement's
  Op op;
};

const RefusalCase kRefusals[] = {
    {"create statement", 1601, false,
     [](LnaConnection* c, LnaStatement*) {
       LnaStatement* s = nullptr;
       return LnaAllocStmtSP(c, &s);
     }},
    {"set connection option", 1108, false,
     [](LnaConnection* c, LnaStatement*) { return LnaSetConnectOptionMP(c, 101, 1, 4); }},
    {"get connection option", 1109, false,
     [](LnaConnection* c, LnaStatement*) {
       uintptr_t v = 0;
       uint16_t t = 0;
       return LnaGetConnectOptionMP(c, 101, &v, &t);
     }},
    {"get information", 1110, false,
     [](LnaConnection* c, LnaStatement*) {
       char buf[32];
       int32_t n = 0;
       uint16_t t = 0;
       return LnaGetInfoSP(c, 16, buf, sizeof buf, &n, &t);
     }},
    {"transact", 1114, false, [](LnaConnection* c, LnaStatement*) { return LnaTransactSP(c, 0); }},
    {"cancel", 1605, true, [](LnaConnection*, LnaStatement* s) { return LnaCancelSP(s); }},
    {"set statement option", 1607, true,
     [](LnaConnection*, LnaStatement* s) { return LnaSetStmtOptionSP(s, 0, 5, 4); }},
    {"get statement option", 1608, true,
     [](LnaConnection*, LnaStatement* s) {
       uintptr_t v = 0;
       uint16_t t = 0;
       return LnaGetStmtOptionSP(s, 1000, &v, &t);
     }},
    {"set cursor name", 1609, true,
     [](LnaConnection*, LnaStatement* s) { return LnaSetCursorNameSP(s, "c1"); }},
    {"prepare", 1301, true,
     [](LnaConnection*, LnaStatement* s) {
       LnaColumnDesc* cols = nullptr;
       LnaParamDesc* params = nullptr;
       uint16_t nc = 0, np = 0;
       return LnaPrepareMP(s, "SELECT 1", &cols, &nc, &params, &np, 0);
     }},
    {"execute", 1304, true,
     [](LnaConnection*, LnaStatement* s) {
       int32_t rows = 0;
       return LnaExecuteMP(s, 0, nullptr, 0, nullptr, &rows, 0);
     }},
    {"exec direct", 1305, true,
     [](LnaConnection*, LnaStatement* s) {
       LnaColumnDesc* cols = nullptr;
       LnaParamDesc* params = nullptr;
       uint16_t nc = 0, np = 0;
       int32_t rows = 0;
       return LnaExecDirectMP(s, "SELECT 1", &cols, &nc, &params, &np, 0, nullptr, 0, nullptr,
                              &rows, 0);
     }},
    {"param data", 1703, true,
     [](LnaConnection*, LnaStatement* s) {
       int32_t v = 0;
       return LnaParamDataSP(s, &v);
     }},
    {"put long data", 1702, true,
     [](LnaConnection*, LnaStatement* s) { return LnaPutLongDataSP(s, 1, "abc", 3, 0); }},
    {"get long data", 1701, true,
     [](LnaConnection*, LnaStatement* s) {
       char buf[8];
       int32_t n = 0;
       return LnaGetLongDataSP(s, 1, 1, buf, sizeof buf, &n, 0);
     }},
#define CATALOG(label, location, call)                           \
  {                                                              \
    label, location, true, [](LnaConnection*, LnaStatement* s) { \
      LnaColumnDesc* cols = nullptr;                             \
      uint16_t n = 0;                                            \
      return call;                                               \
    }                                                            \
  }
    CATALOG("columns", 1801, LnaColumnsSP(s, "q", "o", "t", "c", &cols, &n, 0)),
    CATALOG("tables", 1802, LnaTablesSP(s, "q", "o", "t", 1, &cols, &n, 0)),
    CATALOG("special columns", 1803, LnaSpecialColumnsSP(s, 1, "q", "o", "t", 0, 1, &cols, &n, 0)),
    CATALOG("statistics", 1804, LnaStatisticsSP(s, "q", "o", "t", 0, 0, &cols, &n, 0)),
    CATALOG("primary keys", 1805, LnaPrimaryKeysSP(s, "q", "o", "t", &cols, &n, 0)),
    CATALOG("foreign keys", 1806,
            LnaForeignKeysSP(s, "q", "o", "t", "fq", "fo", "ft", &cols, &n, 0)),
    CATALOG("column privileges", 1807, LnaColumnPrivilegesSP(s, "q", "o", "t", "c", &cols, &n, 0)),
    CATALOG("table privileges", 1808, LnaTablePrivilegesSP(s, "q", "o", "t", &cols, &n, 0)),
    CATALOG("procedure columns", 1809, LnaProcedureColumnsSP(s, "q", "o", "p", "c", &cols, &n, 0)),
    CATALOG("procedures", 1810, LnaProceduresSP(s, "q", "o", "p", &cols, &n, 0)),
#undef CATALOG
    {"statement diagnostics", 1201, true,
     [](LnaConnection*, LnaStatement* s) {
       LnaDiagRecord r[kLnaMaxDiagnostics];
       uint16_t n = 0;
       return LnaGetDiagnostics(nullptr, s, r, &n);
     }},
    {"connection diagnostics", 1202, false,
     [](LnaConnection* c, LnaStatement*) {
       LnaDiagRecord r[kLnaMaxDiagnostics];
       uint16_t n = 0;
       return LnaGetDiagnostics(c, nullptr, r, &n);
     }},
};

class BrokenConnectionTest : public CallLayerTest {};

TEST_F(BrokenConnectionTest, EveryRemoteOperationIsRefusedWithoutARequest) {
  const std::string dead = Prefixed(Text(8124));
  for (const RefusalCase& c : kRefusals) {
    SCOPED_TRACE(c.name);
    // Nothing may arrive after the greeting: the peer expects the hang-up.
    ScriptedPeer peer({{Greet(), ExpectClosed()}});
    LnaConnection* conn = Connected(peer);
    LnaStatement* stmt = Stmt(conn);
    LnaSetBroken(conn, 1);

    EXPECT_EQ(c.op(conn, stmt), kLnaFailed);
    LnaDiagRecord d = Diagnostic(c.on_statement ? nullptr : conn, c.on_statement ? stmt : nullptr);
    EXPECT_STREQ(d.sqlstate, "S1000");
    EXPECT_EQ(d.native_error, c.location);
    EXPECT_EQ(d.text, dead);

    Free(conn);
    EXPECT_TRUE(peer.AllStepsPassed());
  }
}

// Local clean-up still runs where the operation has some: the statement is
// dropped, the logout closes the connection, and neither sends anything.
TEST_F(BrokenConnectionTest, DropAndDisconnectCleanUpLocally) {
  ScriptedPeer peer({{Greet(), ExpectClosed()}});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Stmt(conn);
  LnaSetBroken(conn, 1);

  EXPECT_EQ(LnaFreeStmtSP(stmt, 1), kLnaOk);
  EXPECT_EQ(ArrCount(conn->statements), 0u);
  EXPECT_EQ(LnaDisconnectSP(conn), kLnaInfo);
  EXPECT_EQ(LnaIsConnected(conn), 0);
  LnaDiagRecord d = Diagnostic(conn, nullptr);
  EXPECT_STREQ(d.sqlstate, "01002");
  EXPECT_EQ(d.native_error, 1111);
  EXPECT_TRUE(peer.AllStepsPassed());
  EXPECT_EQ(LnaDisconnectSP(conn), kLnaOk);  // nothing left to close
}

struct TransportCase {
  const char* name;
  uint32_t code;
  uint32_t procedure;
  const char* sqlstate;
  std::string text;  // behind the prefix
};

TEST_F(BrokenConnectionTest, TransportErrorStepBreaksOnlyWithTheThreadsLastError) {
  const TransportCase cases[] = {
      {"host not found", 137, 13, "08S01", Text(0x80001FAFu)},
      {"no memory", 2, 14, "S1001", "Memory allocation error."},
      {"unknown code", 99, 13, "08S01",
       "VeltoClient cannot communicate with VeltoServer due to a network error (RPC = 13, Error "
       "= 99). Please report this error to Velto Technologies."},
      {"peer closed", 152, 2, "08S01", Text(8113)},
      {"refused", 133, 65, "08S01", Text(0x80001FB0u)},
      {"reply left over", 202, 20, "08S01", Text(0x80001FC1u)},
  };
  for (const TransportCase& c : cases) {
    SCOPED_TRACE(c.name);
    LnaConnection* conn = nullptr;
    ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
    LnaStatement stmt{};
    stmt.conn = conn;

    TlsSlotSet(c.code);
    PostTransportError(nullptr, &stmt, c.procedure);
    EXPECT_EQ(LnaIsBroken(conn), 1u);
    LnaDiagRecord d = Diagnostic(nullptr, &stmt);
    EXPECT_STREQ(d.sqlstate, c.sqlstate);
    EXPECT_EQ(d.native_error, 2000 + static_cast<int32_t>(c.procedure));
    EXPECT_EQ(d.text, Prefixed(c.text));
    LnaFreeConnect(conn);
  }

  // The server's own -20 leaves no trace and the connection working.
  LnaConnection* conn = nullptr;
  ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
  TlsSlotSet(0);
  PostTransportError(conn, nullptr, 13);
  EXPECT_EQ(LnaIsBroken(conn), 0u);
  EXPECT_EQ(conn->diag_waiting, 0u);
  LnaFreeConnect(conn);
}

// Through an operation: the server's error status leaves the connection
// usable; a connection cut under a request breaks it.
TEST_F(BrokenConnectionTest, OperationsBreakTheConnectionOnlyOnTransportFailures) {
  ScriptedPeer peer({Steps({Answer(-20), {ExpectRequest(), testing_peer::CloseConnection()}})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Stmt(conn);

  EXPECT_EQ(LnaSetCursorNameSP(stmt, "c1"), kLnaFailed);
  EXPECT_EQ(LnaIsBroken(conn), 0u);
  EXPECT_EQ(stmt->diag_waiting, 0u);  // the server holds the reasons

  EXPECT_EQ(LnaSetCursorNameSP(stmt, "c2"), kLnaFailed);
  EXPECT_EQ(LnaIsBroken(conn), 1u);
  LnaDiagRecord d = Diagnostic(nullptr, stmt);
  EXPECT_STREQ(d.sqlstate, "08S01");
  EXPECT_EQ(d.native_error, 2034);
  EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{34, 34}));
}

}  // namespace
}  // namespace lna_call_test
