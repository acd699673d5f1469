// The procedures of a session, driven through the dispatcher over the
// scripted backend. Every reply is unpacked in the driver's order and must
// be consumed exactly.
#include "server/dispatcher.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/memory.h"
#include "server/session.h"
#include "testing/dispatch_harness.h"
#include "wire/row_reply.h"
#include "wire/user_list.h"

namespace velsrv_test {
namespace {

using velsrv::CatalogKind;
using velsrv::ColumnInfo;
using velsrv::ScriptedData;

// Field positions of the login's numeric records (in wire order).
constexpr int kLongGetDataExtensions = 4;
constexpr int kLongScrollConcurrency = 17;
constexpr int kLongScrollOptions = 18;
constexpr int kShortApiConformance = 0;
constexpr int kShortActiveStatements = 21;

std::string Text(const char* field) {
  return field;
}

TEST(LoginTest, ReplyIsConsumedExactlyAndCarriesWhatTheServerAnnounces) {
  Harness h;
  auto s = h.NewSession();
  int16_t status;
  LoginResult r = h.Login(*s, SalesLogin(), &status);
  ASSERT_EQ(status, 0);
  EXPECT_NE(r.connection_id, 0);
  EXPECT_NE(r.cancel_key, 0);
  // The backend's completed string never comes back.
  EXPECT_EQ(r.completed, "");
  EXPECT_EQ(h.backend().Log().last_connect, "DSN=scripted;UID=scott;PWD=tiger");

  EXPECT_EQ(Text(r.info.dbms_name), "Scripted");
  EXPECT_EQ(Text(r.info.server_name), "sales");  // not the backend's path
  EXPECT_EQ(Text(r.info.mult_result_sets), "N");
  EXPECT_EQ(Text(r.info.row_updates), "N");
  EXPECT_EQ(Text(r.info.identifier_quote_char), "\"");
  EXPECT_EQ(r.info154.longs[kLongScrollOptions], 1u);      // forward-only
  EXPECT_EQ(r.info154.longs[kLongScrollConcurrency], 1u);  // read-only
  EXPECT_EQ(r.info154.longs[kLongGetDataExtensions], 3u);
  EXPECT_EQ(r.info154.shorts[kShortApiConformance], 1u);
  EXPECT_EQ(r.info154.shorts[kShortActiveStatements], 1024u);
  EXPECT_EQ(r.info96.masks[56 - 48], 0x3FFFFu);

  // The backend's types, grouped by code.
  ASSERT_EQ(r.types.size(), 12u);
  for (size_t i = 1; i < r.types.size(); ++i)
    EXPECT_LE(r.types[i - 1].sql_type, r.types[i].sql_type);
  ASSERT_EQ(r.table_types.size(), 3u);
  EXPECT_EQ(Text(r.table_types[2].name), "SYSTEM TABLE");
  EXPECT_EQ(r.table_types[2].bit, 4);

  EXPECT_EQ(r.functions[40], 1);  // SQLColumns: the backend has it
  EXPECT_EQ(r.functions[56], 0);  // SQLColumnPrivileges: it does not
  EXPECT_EQ(r.functions[47], 1);  // SQLGetTypeInfo: the driver answers it
  EXPECT_EQ(r.functions[59], 0);  // SQLExtendedFetch: not exported

  EXPECT_EQ(r.result.autocommit, 1u);
  EXPECT_EQ(r.result.txn_isolation, 2u);
  EXPECT_EQ(Text(r.result.qualifier), "main");
  EXPECT_EQ(r.info52.values[1], 1u);  // concurrency: read-only
  EXPECT_EQ(r.info52.values[2], 0u);  // cursor type: forward-only
  EXPECT_EQ(r.info52.values[8], 1u);  // retrieve data on
  EXPECT_EQ(r.info52.values[12] & (1u << 6), 1u << 6);
  EXPECT_EQ(r.info52.values[12] & (1u << 4), 0u);  // asynchronous execution: no
}

TEST(LoginTest, FailedLoginsLeaveTheirDiagnosticsForProcedure12) {
  struct Case {
    std::string connection_string;
    const char* sqlstate;
    const char* text_start;
  } cases[] = {
      {SalesLogin("scott", "wrong"), "28000", "[scripted]Login failed"},
      {SalesLogin("nobody", "tiger"), "28000", "[scripted]Login failed"},
      {"ServerDSN=nosuch;UID=scott;PWD=tiger", "IM002", "[velsrv]Data source name not found"},
      {"UID=scott;PWD=tiger", "IM002", "[velsrv]The connection string names no ServerDSN"},
      {"ServerDSN=orphan;UID=scott;PWD=tiger", "IM002", "[scripted]Data source name not found"},
      {"ServerDSN=sales;UID=scott;PWD={tiger", "28000", "[velsrv]The user name or password"},
      {"ServerDSN=sales;UID", "08001", "[velsrv]The connection string could not be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.connection_string);
    Harness h;
    auto s = h.NewSession();
    int16_t status;
    LoginResult r = h.Login(*s, c.connection_string, &status);
    EXPECT_EQ(status, -20);
    // A connection id all the same, so that the client can ask for them.
    ASSERT_NE(r.connection_id, 0);
    std::vector<LnaDiagRecord> diags = h.Errors(*s, r.connection_id, 0);
    ASSERT_EQ(diags.size(), 1u);
    EXPECT_STREQ(diags[0].sqlstate, c.sqlstate);
    EXPECT_EQ(std::string(diags[0].text).rfind(c.text_start, 0), 0u) << diags[0].text;
    EXPECT_TRUE(h.Errors(*s, r.connection_id, 0).empty());
    EXPECT_EQ(h.AllocStmt(*s, r.connection_id), 0);
    Reply reply;
    ASSERT_TRUE(h.Call(
        *s, Request(10, [&](MsgBuf* b) { return PutConnection(b, r.connection_id); }), &reply));
    EXPECT_EQ(reply.status, 0);
    EXPECT_EQ(h.backend().Log().open_connections, 0);
  }
}

TEST(LoginTest, AConnectionCarriesOneLogin) {
  Harness h;
  auto s = h.NewSession();
  int32_t id = h.LoginOk(*s);
  ASSERT_NE(id, 0);
  int16_t status;
  LoginResult again = h.Login(*s, SalesLogin(), &status);
  EXPECT_EQ(status, -20);
  EXPECT_EQ(again.connection_id, id);
  std::vector<LnaDiagRecord> diags = h.Errors(*s, id, 0);
  ASSERT_EQ(diags.size(), 1u);
  EXPECT_STREQ(diags[0].sqlstate, "08002");
  EXPECT_EQ(h.backend().Log().connects, 1);
  // The first login goes on.
  EXPECT_NE(h.AllocStmt(*s, id), 0);
}

TEST(SessionIdsTest, IdsOfAnotherSessionAreRefusedLikeUnknownOnes) {
  Harness h;
  auto a = h.NewSession();
  auto b = h.NewSession();
  int32_t a_id = h.LoginOk(*a);
  int32_t b_id = h.LoginOk(*b);
  ASSERT_NE(a_id, 0);
  ASSERT_NE(b_id, 0);
  int32_t a_stmt = h.AllocStmt(*a, a_id);
  ASSERT_NE(a_stmt, 0);

  auto free_stmt = [&](velsrv::Session& s, int32_t stmt) {
    Reply reply;
    EXPECT_TRUE(h.Call(
        s, Request(18, [&](MsgBuf* m) { return MsgBufPutI32(m, stmt) && MsgBufPutU16(m, 1); }),
        &reply));
    EXPECT_TRUE(UnpackNothing(reply.buf.get()));
    return reply.status;
  };
  for (int32_t foreign : {a_stmt, a_stmt + 1000}) {
    EXPECT_EQ(free_stmt(*b, foreign), -20);
    std::vector<LnaDiagRecord> diags = h.Errors(*b, 0, foreign);
    ASSERT_EQ(diags.size(), 1u);
    EXPECT_STREQ(diags[0].sqlstate, "S1000");
  }
  // B cannot reach A's connection either.
  Reply reply;
  ASSERT_TRUE(h.Call(*b, Request(1, [&](MsgBuf* m) { return PutConnection(m, a_id); }), &reply));
  EXPECT_EQ(reply.status, -20);
  ASSERT_TRUE(h.Call(
      *b, Request(12, [&](MsgBuf* m) { return MsgBufPutI32(m, a_id) && MsgBufPutI32(m, 0); }),
      &reply));
  EXPECT_EQ(reply.status, -20);
  std::vector<LnaDiagRecord> none;
  EXPECT_TRUE(UnpackErrors(reply.buf.get(), &none));
  EXPECT_TRUE(none.empty());
  // A's statement is untouched.
  EXPECT_EQ(free_stmt(*a, a_stmt), 0);
}

// Requests whose fields do not parse: status -20, a diagnostic, and a reply
// of the procedure's whole layout.
TEST(MalformedRequestTest, GetsMinus20AndTheFullReplyLayout) {
  Harness h;
  auto s = h.NewSession();
  int32_t id = h.LoginOk(*s);
  int32_t stmt = h.AllocStmt(*s, id);
  ASSERT_NE(stmt, 0);
  struct Case {
    const char* what;
    uint32_t procedure;
    std::function<int(MsgBuf*)> body;
    std::function<bool(MsgBuf*)> unpack;
    bool diag_on_statement;
  } cases[] = {
      {"alloc stmt, short", 1, [](MsgBuf* b) { return MsgBufPutU16(b, 7); },
       [](MsgBuf* b) {
         int32_t v;
         return UnpackI32(b, &v) && v == 0;
       },
       false},
      {"get info, no size", 20,
       [&](MsgBuf* b) { return MsgBufPutI32(b, id) && MsgBufPutU16(b, 17); },
       [](MsgBuf* b) {
         void* array = nullptr;
         int32_t n;
         bool ok = MsgBufGetArray(b, &array, MsgBufGetElem<XdrTypedValue>, sizeof(LnaTypedValue)) &&
                   MsgBufGetI32(b, &n) && MsgBufAllRead(b) && array == nullptr && n == 0;
         MsgBufFreeArray(array, sizeof(LnaTypedValue), MsgBufRelease<XdrFreeTypedValue>);
         return ok;
       },
       false},
      {"get connect option, a byte too many", 19,
       [&](MsgBuf* b) { return MsgBufPutI32(b, id) && MsgBufPutU16(b, 109) && MsgBufPutU8(b, 0); },
       [](MsgBuf* b) {
         ValueResult v;
         return UnpackValueArray(b, &v) && !v.present;
       },
       false},
      {"columns, no async byte", 56,
       [&](MsgBuf* b) {
         return MsgBufPutI32(b, stmt) && MsgBufPutString(b, nullptr) &&
                MsgBufPutString(b, nullptr) && MsgBufPutString(b, "t") &&
                MsgBufPutString(b, nullptr);
       },
       [](MsgBuf* b) {
         std::vector<LnaColumnDesc> c;
         return UnpackColumns(b, &c) && c.empty();
       },
       true},
      {"set stmt option, unknown C type", 35,
       [&](MsgBuf* b) {
         return MsgBufPutI32(b, stmt) && MsgBufPutU16(b, 0) && MsgBufPutU16(b, 77) &&
                MsgBufPutI32(b, 4) && MsgBufPutI32(b, 5);
       },
       UnpackNothing, true},
      {"cursor name, string longer than the message", 34,
       [&](MsgBuf* b) { return MsgBufPutI32(b, stmt) && MsgBufPutI32(b, 1000); }, UnpackNothing,
       true},
      {"transact, short", 46, [&](MsgBuf* b) { return MsgBufPutI32(b, id); }, UnpackNothing, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reply reply;
    ASSERT_TRUE(h.Call(*s, Request(c.procedure, c.body), &reply));
    EXPECT_EQ(reply.status, -20);
    EXPECT_TRUE(c.unpack(reply.buf.get()));
    std::vector<LnaDiagRecord> diags =
        c.diag_on_statement ? h.Errors(*s, 0, stmt) : h.Errors(*s, id, 0);
    ASSERT_FALSE(diags.empty());
    EXPECT_NE(std::string(diags.back().text).find("could not be read"), std::string::npos);
  }
  // The session goes on.
  EXPECT_NE(h.AllocStmt(*s, id), 0);
}

TEST(MalformedRequestTest, LoginAndListsThatDoNotParseKeepTheirLayout) {
  Harness h;
  auto s = h.NewSession();
  Reply reply;
  // A scrambled text of 1 byte cannot hold the prefix.
  ASSERT_TRUE(h.Call(*s,
                     Request(65,
                             [](MsgBuf* b) {
                               return MsgBufPutI32(b, 1) && MsgBufPutU8(b, 9) &&
                                      MsgBufPutI32(b, 100);
                             }),
                     &reply));
  EXPECT_EQ(reply.status, -20);
  LoginResult r;
  EXPECT_TRUE(UnpackLogin(reply.buf.get(), 0, &r));
  EXPECT_NE(r.connection_id, 0);

  ASSERT_TRUE(h.Call(*s, Request(47, [](MsgBuf* b) { return MsgBufPutString(b, "x"); }), &reply));
  EXPECT_EQ(reply.status, -20);
  char* list = nullptr;
  EXPECT_TRUE(MsgBufGetString(reply.buf.get(), &list) && MsgBufAllRead(reply.buf.get()));
  EXPECT_EQ(list, nullptr);

  ASSERT_TRUE(h.Call(*s, Request(48, [](MsgBuf* b) { return MsgBufPutU8(b, 1); }), &reply));
  EXPECT_EQ(reply.status, -20);
  int32_t n = -1;
  EXPECT_TRUE(UnpackI32(reply.buf.get(), &n));
  EXPECT_EQ(n, 0);
}

TEST(DispatchTest, HeadersThatCannotBeAnsweredCloseTheConnection) {
  Harness h;
  auto s = h.NewSession();
  Reply reply;
  for (uint32_t unknown : {0u, 5u, 16u, 99u, 0xFFFFFFFFu})
    EXPECT_FALSE(h.Call(*s, Request(unknown, nullptr), &reply)) << unknown;
  // Shorter than a request header.
  MsgBufPtr short_header(MsgBufCreate());
  MsgBufPutU32(short_header.get(), 0);
  MsgBufPutU32(short_header.get(), 47);
  EXPECT_FALSE(h.Call(*s, std::move(short_header), &reply));
  // A length slot that disagrees with the message.
  MsgBufPtr request =
      Request(47, [](MsgBuf* b) { return MsgBufPutString(b, "") && MsgBufPutI32(b, 9); });
  MsgBufPtr out(MsgBufCreate());
  request->data[3] = 0x7F;
  request->read_pos = 0;
  EXPECT_EQ(velsrv::Dispatch(*s, request.get(), out.get()), velsrv::DispatchOutcome::kClose);
}

TEST(OptionTest, ConnectionOptionsReachTheBackendOnlyThroughTheAllowList) {
  struct Case {
    uint16_t option;
    bool text;
    uint32_t number;
    const char* value;
    int16_t status;
    const char* sqlstate;  // of the diagnostic, or null for none
    bool forwarded;
  } cases[] = {
      {102, false, 0, "", 0, nullptr, true},                   // autocommit
      {108, false, 8, "", 0, nullptr, true},                   // isolation
      {109, true, 0, "main", 0, nullptr, true},                // qualifier
      {0, false, 5, "", 0, nullptr, true},                     // query timeout, every statement
      {104, false, 1, "", 0, nullptr, false},                  // tracing
      {105, true, 0, "/tmp/velsrv.trace", 0, nullptr, false},  // trace file
      {106, true, 0, "/tmp/evil.so", -20, "S1C00", false},     // translation library
      {107, false, 1, "", -20, "S1C00", false},
      {111, false, 0x1234, "", 0, nullptr, false},  // quiet mode: a window handle
      {6, false, 3, "", 1, "01S02", false},         // cursor type: forward-only stays
      {7, false, 1, "", 0, nullptr, false},         // read-only concurrency, kept
      {4, false, 1, "", -20, "S1C00", false},       // asynchronous execution
      {999, false, 1, "", -20, "S1092", false},
      {102, true, 0, "on", -20, "S1009", false},  // a text for a number
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    Harness h;
    auto s = h.NewSession();
    int32_t id = h.LoginOk(*s);
    Reply reply;
    std::string text = c.value;
    ASSERT_TRUE(h.Call(*s,
                       Request(33,
                               [&](MsgBuf* b) {
                                 LnaTypedValue v{};
                                 if (c.text) {
                                   v.c_type = kCTypeChar;
                                   v.length = static_cast<int32_t>(text.size());
                                   v.value.text = text.data();
                                 } else {
                                   v.c_type = kCTypeLong;
                                   v.length = 4;
                                   v.value.u32 = c.number;
                                 }
                                 return MsgBufPutI32(b, id) && MsgBufPutU16(b, c.option) &&
                                        XdrPutTypedValue(b, &v);
                               }),
                       &reply));
    EXPECT_TRUE(UnpackNothing(reply.buf.get()));
    EXPECT_EQ(reply.status, c.status);
    std::vector<LnaDiagRecord> diags = h.Errors(*s, id, 0);
    if (c.sqlstate != nullptr) {
      ASSERT_EQ(diags.size(), 1u);
      EXPECT_STREQ(diags[0].sqlstate, c.sqlstate);
    } else {
      EXPECT_TRUE(diags.empty());
    }
    EXPECT_EQ(h.backend().Log().connection_options.count(c.option), c.forwarded ? 1u : 0u);
  }
}

TEST(OptionTest, StatementOptionsAreForwardedKeptOrHeldToWhatIsSupported) {
  Harness h;
  auto s = h.NewSession();
  int32_t id = h.LoginOk(*s);
  int32_t stmt = h.AllocStmt(*s, id);
  auto set = [&](uint16_t option, uint32_t value) {
    Reply reply;
    EXPECT_TRUE(h.Call(*s,
                       Request(35,
                               [&](MsgBuf* b) {
                                 LnaTypedValue v{};
                                 v.c_type = kCTypeLong;
                                 v.length = 4;
                                 v.value.u32 = value;
                                 return MsgBufPutI32(b, stmt) && MsgBufPutU16(b, option) &&
                                        XdrPutTypedValue(b, &v);
                               }),
                       &reply));
    EXPECT_TRUE(UnpackNothing(reply.buf.get()));
    return reply.status;
  };
  auto get = [&](uint16_t option, ValueResult* v) {
    Reply reply;
    EXPECT_TRUE(h.Call(
        *s,
        Request(22, [&](MsgBuf* b) { return MsgBufPutI32(b, stmt) && MsgBufPutU16(b, option); }),
        &reply));
    EXPECT_TRUE(UnpackValueArray(reply.buf.get(), v));
    return reply.status;
  };
  struct Case {
    uint16_t option;
    uint32_t value;
    int16_t status;
    uint32_t read_back;  // what procedure 22 then answers
    bool forwarded;
  } cases[] = {
      {1, 10, 0, 10, true},      // max rows
      {3, 4096, 0, 4096, true},  // max length
      {5, 64, 0, 64, false},     // bind type: the client's buffers
      {9, 20, 0, 20, false},     // rowset size
      {6, 1, 1, 0, false},       // keyset-driven asked, forward-only kept
      {7, 2, 1, 1, false},       // locking concurrency asked, read-only kept
      {12, 1, 1, 0, false},      // bookmarks asked, none kept
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    EXPECT_EQ(set(c.option, c.value), c.status);
    ValueResult v;
    EXPECT_EQ(get(c.option, &v), 0);
    EXPECT_TRUE(v.present);
    EXPECT_EQ(v.number, c.read_back);
    EXPECT_EQ(h.backend().Log().statement_options.count(c.option), c.forwarded ? 1u : 0u);
    h.Errors(*s, 0, stmt);
  }
  for (uint16_t refused : {13, 14, 20, 1000}) {
    EXPECT_EQ(set(refused, 1), -20) << refused;
    std::vector<LnaDiagRecord> d = h.Errors(*s, 0, stmt);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_STREQ(d[0].sqlstate, "S1092");
    ValueResult v;
    EXPECT_EQ(get(refused, &v), -20);
    EXPECT_FALSE(v.present);
    h.Errors(*s, 0, stmt);
  }
}

TEST(InfoTest, ProcedureTwentyAnswersTheAnnouncedValues) {
  Harness h;
  auto s = h.NewSession();
  int32_t id = h.LoginOk(*s);
  struct Case {
    uint16_t type;
    int16_t status;
    int16_t c_type;
    std::string text;
    uint32_t number;
  } cases[] = {
      {16, 0, kCTypeChar, "scripted.db", 0},  // the file's name, not where it lies
      {47, 0, kCTypeChar, "scott", 0},
      {13, 0, kCTypeChar, "sales", 0},
      {44, 0, kCTypeLong, "", 1},
      {30, 0, kCTypeShort, "", 255},
      {65003, 0, kCTypeLong, "", 0},
      {94, 0, kCTypeChar, "", 0},  // the backend cannot tell: empty
      {3, -20, 0, "", 0},          // a handle of the backend
      {115, -20, 0, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Reply reply;
    ASSERT_TRUE(h.Call(*s,
                       Request(20,
                               [&](MsgBuf* b) {
                                 return MsgBufPutI32(b, id) && MsgBufPutU16(b, c.type) &&
                                        MsgBufPutI32(b, 4);
                               }),
                       &reply));
    EXPECT_EQ(reply.status, c.status);
    void* array = nullptr;
    uint32_t n = 0;
    int32_t full_length = -1;
    ASSERT_TRUE(MsgBufGetArray(reply.buf.get(), &array, MsgBufGetElem<XdrTypedValue>,
                               sizeof(LnaTypedValue), &n, MsgBufRelease<XdrFreeTypedValue>) &&
                MsgBufGetI32(reply.buf.get(), &full_length) && MsgBufAllRead(reply.buf.get()));
    auto* v = static_cast<LnaTypedValue*>(array);
    if (c.status == 0) {
      ASSERT_EQ(n, 1u);
      EXPECT_EQ(v->c_type, c.c_type);
      if (c.c_type == kCTypeChar) {
        // The whole text, whatever the caller's buffer: the client cuts it.
        EXPECT_EQ(full_length, static_cast<int32_t>(c.text.size()));
        EXPECT_EQ(v->value.text == nullptr ? std::string() : std::string(v->value.text), c.text);
      } else {
        EXPECT_EQ(c.c_type == kCTypeShort ? v->value.u16 : v->value.u32, c.number);
      }
    } else {
      EXPECT_EQ(n, 0u);
      std::vector<LnaDiagRecord> d = h.Errors(*s, id, 0);
      ASSERT_EQ(d.size(), 1u);
      EXPECT_STREQ(d[0].sqlstate, "S1096");
    }
    MsgBufFreeArray(array, sizeof(LnaTypedValue), MsgBufRelease<XdrFreeTypedValue>);
  }
}

ColumnInfo Column(const char* name, int16_t type, int32_t precision, int16_t nullable = 1) {
  ColumnInfo c;
  c.name = name;
  c.sql_type = type;
  c.precision = precision;
  c.display_size = precision;
  c.length = precision;
  c.nullable = nullable;
  return c;
}

TEST(CatalogTest, ColumnsAreDescribedWithTypesTheLoginsTableHolds) {
  ScriptedData data = velsrv::DefaultScriptedData();
  ColumnInfo long_label = Column("LABELLED", 12, 10);
  long_label.label = std::string(70, 'L');
  ColumnInfo attributes = Column("FLAGS", 4, 10, 0);
  attributes.case_sensitive = true;
  attributes.searchable = 2;
  attributes.is_unsigned = false;
  attributes.auto_increment = true;
  data.catalog_columns[CatalogKind::kColumns] = {
      Column("BLOB", -2, 255),
      Column("STAMP", 93, 26),
      Column("AMOUNT", 2, 10),
      Column("WIDE", -9, 40),
      Column("RATIO", 7, 7),
      Column("ODD", -150, 8),
      Column("WHEN", 91, 10),
      Column("MAYBE", 12, 5, 2),
      long_label,
      attributes,
  };
  Harness h(data);
  auto s = h.NewSession();
  int16_t status;
  LoginResult login = h.Login(*s, SalesLogin(), &status);
  int32_t stmt = h.AllocStmt(*s, login.connection_id);
  Reply reply;
  ASSERT_TRUE(h.Call(*s, CatalogRequest(56, stmt, "t"), &reply));
  EXPECT_EQ(reply.status, 0);
  std::vector<LnaColumnDesc> cols;
  ASSERT_TRUE(UnpackColumns(reply.buf.get(), &cols));
  ASSERT_EQ(cols.size(), 10u);
  struct Expect {
    int16_t type;
    int32_t precision;
  } expected[] = {{-3, 255}, {11, 23}, {8, 10}, {12, 40}, {8, 7},
                  {12, 8},   {9, 10},  {12, 5}, {12, 10}, {4, 10}};
  for (size_t i = 0; i < cols.size(); ++i) {
    SCOPED_TRACE(cols[i].name);
    EXPECT_EQ(cols[i].sql_type, expected[i].type);
    EXPECT_EQ(cols[i].precision, expected[i].precision);
    bool in_table = cols[i].sql_type == 12 || cols[i].sql_type == 1 || cols[i].sql_type == 4 ||
                    cols[i].sql_type == 5;
    for (const LnaTypeInfo& t : login.types) in_table = in_table || t.sql_type == cols[i].sql_type;
    EXPECT_TRUE(in_table);
  }
  EXPECT_EQ(std::string(cols[8].label), std::string(64, 'L'));
  EXPECT_EQ(cols[7].nullable, 1);  // nullability unknown: may hold nulls
  EXPECT_EQ(cols[7].attributes & 3, 1);
  EXPECT_EQ(cols[9].nullable, 0);
  EXPECT_EQ(cols[9].attributes, 2 | 4 | 8 | 64 | 256);
}

TEST(CatalogTest, TableTypeMaskBecomesTheBackendsTypeList) {
  struct Case {
    uint32_t mask;
    std::optional<std::string> types;
  } cases[] = {
      {0, std::nullopt},          {1, "'TABLE'"}, {6, "'VIEW','SYSTEM TABLE'"},
      {7, std::nullopt},           // every type the login announced
      {0xFFFFFFFF, std::nullopt},  // the client's "no type known"
      {8, std::nullopt},           // no announced type
  };
  Harness h;
  auto s = h.NewSession();
  int32_t id = h.LoginOk(*s);
  int32_t stmt = h.AllocStmt(*s, id);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    Reply reply;
    ASSERT_TRUE(h.Call(*s,
                       Request(64,
                               [&](MsgBuf* b) {
                                 return MsgBufPutI32(b, stmt) && MsgBufPutString(b, nullptr) &&
                                        MsgBufPutString(b, "") && MsgBufPutString(b, "T%") &&
                                        MsgBufPutU32(b, c.mask) && MsgBufPutU8(b, 1);
                               }),
                       &reply));
    EXPECT_EQ(reply.status, 0);
    std::vector<LnaColumnDesc> cols;
    EXPECT_TRUE(UnpackColumns(reply.buf.get(), &cols));
    velsrv::CatalogCall call = h.backend().Log().catalog_calls.back();
    EXPECT_EQ(call.table_types, c.types);
    ASSERT_EQ(call.names.size(), 3u);
    EXPECT_FALSE(call.names[0].has_value());  // null stays null, empty stays empty
    EXPECT_EQ(call.names[1], std::optional<std::string>(""));
    EXPECT_EQ(call.names[2], std::optional<std::string>("T%"));
  }
}

TEST(CatalogTest, EveryCatalogProcedureReadsItsArguments) {
  Harness h;
  auto s = h.NewSession();
  int32_t id = h.LoginOk(*s);
  int32_t stmt = h.AllocStmt(*s, id);
  struct Case {
    uint32_t procedure;
    size_t names;
  } cases[] = {{55, 4}, {56, 4}, {57, 6}, {58, 3}, {59, 4},
               {60, 3}, {61, 3}, {62, 3}, {63, 3}, {64, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.procedure);
    Reply reply;
    ASSERT_TRUE(h.Call(*s, CatalogRequest(c.procedure, stmt, "orders"), &reply));
    EXPECT_EQ(reply.status, 0);
    std::vector<LnaColumnDesc> cols;
    EXPECT_TRUE(UnpackColumns(reply.buf.get(), &cols));
    EXPECT_EQ(cols.size(), 1u);
    velsrv::CatalogCall call = h.backend().Log().catalog_calls.back();
    EXPECT_EQ(static_cast<uint32_t>(call.kind), c.procedure);
    ASSERT_EQ(call.names.size(), c.names);
    EXPECT_EQ(call.names[2], std::optional<std::string>("orders"));
    if (c.procedure == 61) {
      EXPECT_EQ(call.column_type, 1);
      EXPECT_EQ(call.nullable, 1);
    }
    if (c.procedure == 62) {
      EXPECT_EQ(call.unique, 1);
    }
  }
}

TEST(SessionEndTest, DisconnectAndLossOfTheConnectionRollBackAndCloseTheBackend) {
  Harness h;
  {
    auto s = h.NewSession();
    int32_t id = h.LoginOk(*s);
    int32_t stmt = h.AllocStmt(*s, id);
    Reply reply;
    ASSERT_TRUE(h.Call(*s, Request(10, [&](MsgBuf* b) { return PutConnection(b, id); }), &reply));
    EXPECT_EQ(reply.status, 0);
    EXPECT_TRUE(UnpackNothing(reply.buf.get()));
    EXPECT_EQ(h.backend().Log().open_connections, 0);
    EXPECT_EQ(h.backend().Log().rollbacks, 1);
    // Nothing of the login is left, and no second login comes.
    ASSERT_TRUE(h.Call(*s, Request(4, [&](MsgBuf* b) { return MsgBufPutI32(b, stmt); }), &reply));
    EXPECT_EQ(reply.status, -20);
    int16_t status;
    h.Login(*s, SalesLogin(), &status);
    EXPECT_EQ(status, -20);
  }
  {
    auto s = h.NewSession();
    ASSERT_NE(h.LoginOk(*s), 0);
    EXPECT_EQ(h.backend().Log().open_connections, 1);
  }
  // The session went away without a disconnect.
  EXPECT_EQ(h.backend().Log().open_connections, 0);
  EXPECT_EQ(h.backend().Log().rollbacks, 2);
}

TEST(StatementTest, TheSessionsStatementLimitHolds) {
  velsrv::ServerConfig config = ScriptedConfig();
  config.max_statements = 2;
  Harness h(velsrv::DefaultScriptedData(), config);
  auto s = h.NewSession();
  int32_t id = h.LoginOk(*s);
  int32_t first = h.AllocStmt(*s, id);
  EXPECT_NE(first, 0);
  EXPECT_NE(h.AllocStmt(*s, id), 0);
  EXPECT_EQ(h.AllocStmt(*s, id), 0);
  std::vector<LnaDiagRecord> d = h.Errors(*s, id, 0);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_STREQ(d[0].sqlstate, "S1014");
  // Dropping one makes room again.
  Reply reply;
  ASSERT_TRUE(h.Call(
      *s, Request(18, [&](MsgBuf* b) { return MsgBufPutI32(b, first) && MsgBufPutU16(b, 1); }),
      &reply));
  EXPECT_EQ(reply.status, 0);
  EXPECT_NE(h.AllocStmt(*s, id), 0);
}

TEST(ServerListTest, ListsFitTheCallersSizeInWholeItems) {
  velsrv::ServerConfig config = ScriptedConfig();
  config.server_list = {{"10.0.0.1", 1583}, {"10.0.0.2", 1600}, {"10.0.0.3", 1583}};
  Harness h(velsrv::DefaultScriptedData(), config);
  auto s = h.NewSession();
  struct ListCase {
    int32_t size;
    const char* list;  // null: the null string
  } lists[] = {
      {2048, "Server=10.0.0.1;Port=1583;Server=10.0.0.2;Port=1600;Server=10.0.0.3;Port=1583;"},
      {53, "Server=10.0.0.1;Port=1583;Server=10.0.0.2;Port=1600;"},
      {52, "Server=10.0.0.1;Port=1583;"},
      {1, ""},
      {0, nullptr},
  };
  for (const ListCase& c : lists) {
    SCOPED_TRACE(c.size);
    Reply reply;
    ASSERT_TRUE(h.Call(
        *s,
        Request(47,
                [&](MsgBuf* b) {
                  return MsgBufPutString(b, "ClntHostName=pc7;ClntUserName=ann;ClntIP=10.0.0.7;") &&
                         MsgBufPutI32(b, c.size);
                }),
        &reply));
    EXPECT_EQ(reply.status, 0);
    char* text = nullptr;
    ASSERT_TRUE(MsgBufGetString(reply.buf.get(), &text) && MsgBufAllRead(reply.buf.get()));
    if (c.list == nullptr) {
      EXPECT_EQ(text, nullptr);
    } else {
      ASSERT_NE(text, nullptr);
      EXPECT_STREQ(text, c.list);
    }
    MemFree(text);
  }
  struct SourceCase {
    int32_t size;
    std::string bytes;
  } sources[] = {
      {4096, std::string("sales;Sales data\0orphan;Points nowhere\0\0", 40)},
      {39, std::string("sales;Sales data\0\0", 18)},
      {18, std::string("sales;Sales data\0\0", 18)},
      {17, std::string("\0", 1)},
      {0, ""},
  };
  for (const SourceCase& c : sources) {
    SCOPED_TRACE(c.size);
    Reply reply;
    ASSERT_TRUE(h.Call(*s,
                       Request(48,
                               [&](MsgBuf* b) {
                                 return MsgBufPutString(b, "ClntHostName=pc7;") &&
                                        MsgBufPutI32(b, c.size);
                               }),
                       &reply));
    EXPECT_EQ(reply.status, 0);
    int32_t n = -1;
    ASSERT_TRUE(MsgBufGetI32(reply.buf.get(), &n));
    ASSERT_EQ(n, static_cast<int32_t>(c.bytes.size()));
    std::string got(static_cast<size_t>(n), '?');
    ASSERT_TRUE(MsgBufGetBytes(reply.buf.get(), got.data(), static_cast<uint32_t>(n)) &&
                MsgBufAllRead(reply.buf.get()));
    EXPECT_EQ(got, c.bytes);
  }
}

TEST(ServerListTest, WithoutAListTheServerNamesItselfAsReached) {
  Harness h;
  h.context().set_listen_port(1700);
  auto s = h.NewSession();
  Reply reply;
  ASSERT_TRUE(h.Call(
      *s, Request(47, [](MsgBuf* b) { return MsgBufPutString(b, "") && MsgBufPutI32(b, 2048); }),
      &reply));
  char* text = nullptr;
  ASSERT_TRUE(MsgBufGetString(reply.buf.get(), &text));
  EXPECT_STREQ(text, "Server=127.0.0.1;Port=1700;");
  MemFree(text);
}

TEST(AdminTest, AdministrationAnswersOnlyWhereTheConfigurationAllowsIt) {
  struct Case {
    velsrv::AdminAccess admin;
    bool loopback;
    bool allowed;
  } cases[] = {
      {velsrv::AdminAccess::kOff, true, false},
      {velsrv::AdminAccess::kLoopback, true, true},
      {velsrv::AdminAccess::kLoopback, false, false},
      {velsrv::AdminAccess::kAny, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.admin) * 10 + c.loopback);
    velsrv::ServerConfig config = ScriptedConfig();
    config.admin = c.admin;
    Harness h(velsrv::DefaultScriptedData(), config);
    auto user = h.NewSession();
    int32_t user_id = h.LoginOk(*user);
    auto admin = h.NewSession(c.loopback);
    Reply reply;
    ASSERT_TRUE(h.Call(*admin, Request(11, nullptr), &reply));
    EXPECT_EQ(reply.status, c.allowed ? 0 : -20);
    void* array = nullptr;
    uint32_t n = 0;
    ASSERT_TRUE(MsgBufGetArray(reply.buf.get(), &array, MsgBufGetElem<XdrUserList>,
                               sizeof(LnaUserList), &n, MsgBufRelease<XdrFreeUserList>) &&
                MsgBufAllRead(reply.buf.get()));
    if (c.allowed) {
      ASSERT_EQ(n, 1u);
      auto* list = static_cast<LnaUserList*>(array);
      ASSERT_EQ(list->count, 1);
      EXPECT_STREQ(list->users[0].text1, "ann");
      EXPECT_STREQ(list->users[0].text2, "10.0.0.7");
      EXPECT_STREQ(list->users[0].text3, "app");
      EXPECT_STREQ(list->users[0].text5, "sales");
      EXPECT_EQ(list->users[0].number[0], user_id);
    } else {
      EXPECT_EQ(n, 0u);
    }
    MsgBufFreeArray(array, sizeof(LnaUserList), MsgBufRelease<XdrFreeUserList>);

    ASSERT_TRUE(h.Call(*admin, Request(36, [](MsgBuf* b) { return MsgBufPutU16(b, 0); }), &reply));
    EXPECT_EQ(reply.status, c.allowed ? 0 : -20);
    EXPECT_EQ(admin->stop_server_after_reply, c.allowed);
  }
}

// A request cut after its statement id still gets the whole layout of its
// reply, and the reason waits for procedure 12.
TEST(StatementProcTest, TruncatedRequestsAnswerWithTheirLayout) {
  Harness h;
  auto s = h.NewSession();
  int32_t id = h.LoginOk(*s);
  int32_t stmt = h.AllocStmt(*s, id);
  auto row_block = [](MsgBuf* b) {
    LnaRowBlock block{};
    bool ok = XdrRowBlock(b, &block);
    XdrFreeRowBlock(&block);
    return ok;
  };
  auto empty_array = [](MsgBuf* b) {
    int32_t n;
    return MsgBufGetI32(b, &n) && n == -1;
  };
  auto u16 = [](MsgBuf* b) {
    uint16_t v;
    return MsgBufGetU16(b, &v);
  };
  auto i32 = [](MsgBuf* b) {
    int32_t v;
    return MsgBufGetI32(b, &v);
  };
  auto descriptions = [&](MsgBuf* b) {
    return empty_array(b) && u16(b) && empty_array(b) && u16(b);
  };
  struct Case {
    uint32_t procedure;
    std::function<bool(MsgBuf*)> unpack;
  } cases[] = {
      {2, row_block},
      {13, [&](MsgBuf* b) { return descriptions(b) && empty_array(b) && i32(b); }},
      {14, [&](MsgBuf* b) { return empty_array(b) && i32(b); }},
      {15,
       [](MsgBuf* b) {
         LnaSizedRow row{};
         bool ok = XdrSizedBytes(b, &row);
         XdrFreeSizedRow(&row);
         return ok;
       }},
      {21,
       [&](MsgBuf* b) {
         LnaTypedValue v{};
         bool ok = XdrTypedValue(b, &v) && i32(b);
         XdrFreeTypedValue(&v);
         return ok;
       }},
      {24, i32},
      {25, descriptions},
      {32, [](MsgBuf*) { return true; }},
      {49, [&](MsgBuf* b) { return descriptions(b) && empty_array(b) && i32(b) && row_block(b); }},
      {50, [&](MsgBuf* b) { return empty_array(b) && i32(b) && row_block(b); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.procedure);
    Reply reply;
    ASSERT_TRUE(
        h.Call(*s, Request(c.procedure, [&](MsgBuf* b) { return MsgBufPutI32(b, stmt); }), &reply));
    EXPECT_EQ(reply.status, -20);
    EXPECT_TRUE(c.unpack(reply.buf.get()) && MsgBufAllRead(reply.buf.get()));
    std::vector<LnaDiagRecord> d = h.Errors(*s, 0, stmt);
    ASSERT_EQ(d.size(), 1u);
    // Procedure 24's request is whole: it has no execution to finish.
    EXPECT_STREQ(d[0].sqlstate, c.procedure == 24 ? "S1010" : "S1000");
  }
}

}  // namespace
}  // namespace velsrv_test
