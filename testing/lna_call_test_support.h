// Shared pieces of the call-layer tests: the driver's message catalogue
// (the call layer posts its texts by number), a connection record wired to
// a scripted peer without a login, and the reply images the peer sends.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/memory.h"
#include "common/pool.h"
#include "common/tls_slot.h"
#include "driver/lna/lna_call.h"
#include "driver/lna/lna_messages.h"
#include "driver/lna/lna_records.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/odbc/diag/drv_messages.h"
#include "testing/login_outputs.h"
#include "testing/net_test_support.h"
#include "wire/byte_order.h"

namespace lna_call_test {

using namespace lna_test;
using testing_peer::ExpectClosed;
using testing_peer::ExpectRequest;
using testing_peer::Greet;
using testing_peer::Reply;
using testing_peer::Script;
using testing_peer::ScriptedPeer;

constexpr int32_t kServerConn = 5;
constexpr int32_t kServerStmt = 9;

inline std::string Text(uint32_t number) {
  char text[600];
  LnaMessageText(number, text, sizeof text);
  return text;
}

// "[VeltoClient LNA]" directly followed by `text`.
inline std::string Prefixed(const std::string& text) {
  return Text(0x80001F41u) + text;
}

// The procedure of a recorded request payload.
inline uint32_t ProcedureOf(const Bytes& request) {
  return request.size() < 8 ? 0 : LoadBe32(request.data() + 4);
}

inline std::vector<uint32_t> Procedures(ScriptedPeer& peer, size_t connection = 0) {
  std::vector<uint32_t> out;
  for (const Bytes& r : peer.Received(connection)) out.push_back(ProcedureOf(r));
  return out;
}

// A reply of `status` to a request, after recording it.
inline std::vector<testing_peer::Step> Answer(int16_t status, const Bytes& fields = {}) {
  return {ExpectRequest(), Reply(ReplyBytes(status, fields))};
}

inline Script Steps(std::initializer_list<std::vector<testing_peer::Step>> groups) {
  Script script{Greet()};
  for (const auto& g : groups) script.insert(script.end(), g.begin(), g.end());
  return script;
}

// Replies of the procedures the tests script.
inline Bytes AllocStmtFields(int32_t id) {
  return Be32(static_cast<uint32_t>(id));
}
inline Bytes DiagFields(std::initializer_list<int32_t> natives) {
  Bytes records;
  for (int32_t n : natives)
    records = Cat({records, Str("42000"), Be32(static_cast<uint32_t>(n)), Str("server says")});
  return Cat({Be32(static_cast<uint32_t>(natives.size())), records,
              Be16(static_cast<uint16_t>(natives.size()))});
}
// Direct execution without result columns, parameters or returned values.
inline Bytes ExecDirectFields() {
  return Cat({Null(), Be16(0), Null(), Be16(0), Be32(1), Be16(0), Null(), Be32(0)});
}
inline Bytes CatalogFields() {
  return Cat({Null(), Be16(0)});
}

// A login through the call layer.
struct LoginOuts : LoginOutputs {
  int16_t Login(LnaConnection* conn, const std::string& conn_string) {
    return LnaConnectMP(conn, conn_string.c_str(), completed, sizeof completed, &extra,
                        &server_info, &info154, &info96, &types, &type_count, &table_types,
                        &table_type_count, functions, &connect_result, &info52);
  }
};

class CallLayerTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    PoolTableInit();
    LnaInit();
    ASSERT_EQ(DrvLoadMessages(), 1);
  }
  void TearDown() override {
    for (LnaConnection* c : conns_) LnaFreeConnect(c);
    conns_.clear();
    DrvReleaseMessages();
    LnaTerm();
    PoolTableTerm();
    NetTest::TearDown();
  }

  // A new record, freed with the test unless Free frees it first.
  LnaConnection* NewRecord() {
    LnaConnection* conn = nullptr;
    EXPECT_EQ(LnaAllocConnect(&conn), kLnaOk);
    conns_.push_back(conn);
    return conn;
  }
  // A record as a login leaves it, on an RPC connection to `peer`.
  LnaConnection* Connected(ScriptedPeer& peer) {
    LnaConnection* conn = NewRecord();
    conn->rpc = RpcConnOpen(peer.address().c_str(), "");
    EXPECT_NE(conn->rpc, nullptr);
    // As a login with the default wait leaves it.
    conn->call_wait_ms = kRpcDefaultWaitMs;
    if (conn->rpc != nullptr) conn->rpc->call_wait_ms = conn->call_wait_ms;
    conn->server_conn = kServerConn;
    return conn;
  }
  // A statement record with its server id, without a request.
  LnaStatement* Stmt(LnaConnection* conn, int32_t server_stmt = kServerStmt) {
    LnaStatement* stmt = LnaAddStmtRecord(conn);
    stmt->conn = conn;
    stmt->server_stmt = server_stmt;
    stmt->fetch_state = kLnaNewResult;
    return stmt;
  }
  // The one diagnostic waiting on the statement (else the connection).
  LnaDiagRecord Diagnostic(LnaConnection* conn, LnaStatement* stmt) {
    LnaDiagRecord records[kLnaMaxDiagnostics];
    uint16_t count = 0;
    EXPECT_EQ(LnaGetDiagnostics(conn, stmt, records, &count), kLnaOk);
    EXPECT_EQ(count, 1);
    return records[0];
  }
  void Free(LnaConnection* conn) {
    LnaFreeConnect(conn);
    std::erase(conns_, conn);
  }

 private:
  std::vector<LnaConnection*> conns_;
};

}  // namespace lna_call_test
