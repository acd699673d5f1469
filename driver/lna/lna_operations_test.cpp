// What the operations make of the server's replies: information values cut
// to the caller's buffer, options kept local, option texts bounded, the
// catalog's warnings passed on, and values of an unexpected type refused.
#include <cstring>

#include "testing/lna_call_test_support.h"

namespace lna_call_test {
namespace {

// A typed value as a reply array of one: the text with its NUL.
Bytes TextValue(const std::string& s) {
  Bytes text(s.begin(), s.end());
  text.push_back(0);
  return Cat({Be32(1), Be16(1), Be32(static_cast<uint32_t>(s.size())),
              Be32(static_cast<uint32_t>(text.size())), text});
}
Bytes NumberValue(int16_t c_type, uint32_t v) {
  return c_type == 5 ? Cat({Be32(1), Be16(5), Be32(2), Be16(static_cast<uint16_t>(v))})
                     : Cat({Be32(1), Be16(4), Be32(4), Be32(v)});
}

class OperationsTest : public CallLayerTest {};

TEST_F(OperationsTest, InformationValuesFitTheCallersBuffer) {
  struct Case {
    const char* name;
    Bytes value;
    int32_t full_length;
    int32_t buffer_size;
    int16_t expected;
    int32_t length;
    const char* text;  // the buffer as text, or null
    int32_t native;    // of the diagnostic; 0: none
  };
  const Case cases[] = {
      {"text that fits", TextValue("hello"), 5, 16, kLnaOk, 5, "hello", 0},
      {"text cut", TextValue("hello"), 5, 4, kLnaInfo, 5, "hel", 1111},
      {"32-bit value", NumberValue(4, 70000), 4, 4, kLnaOk, 4, nullptr, 0},
      {"32-bit value, 2-byte buffer", NumberValue(4, 70000), 4, 2, kLnaFailed, 0, nullptr, 1113},
      {"16-bit value, 1-byte buffer", NumberValue(5, 7), 2, 1, kLnaFailed, 0, nullptr, 1112},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer(
        {Steps({Answer(0, Cat({c.value, Be32(static_cast<uint32_t>(c.full_length))}))})});
    LnaConnection* conn = Connected(peer);
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    int32_t length = -5;
    uint16_t c_type = 0;
    EXPECT_EQ(LnaGetInfoSP(conn, 17, buffer, c.buffer_size, &length, &c_type), c.expected);
    EXPECT_EQ(length, c.length);
    if (c.text != nullptr) {
      EXPECT_STREQ(buffer, c.text);
    }
    EXPECT_EQ(buffer[c.buffer_size], '#');  // nothing past the buffer
    if (c.native != 0) {
      LnaDiagRecord d = Diagnostic(conn, nullptr);
      EXPECT_STREQ(d.sqlstate, "01004");
      EXPECT_EQ(d.native_error, c.native);
    }
  }
}

TEST_F(OperationsTest, AsyncOptionStaysLocalAndOtherOptionsTravel) {
  ScriptedPeer peer({Steps({Answer(0), Answer(0), Answer(0, TextValue(std::string(300, 'q'))),
                            Answer(0, NumberValue(4, 42))})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Stmt(conn);
  conn->async_cancel = 1;
  EXPECT_EQ(LnaSetConnectOptionMP(conn, 4, 1, 4), kLnaOk);
  EXPECT_EQ(conn->async_cancel, 0u);
  EXPECT_EQ(LnaSetStmtOptionSP(stmt, 4, 1, 4), kLnaOk);
  EXPECT_EQ(LnaSetStmtOptionSP(stmt, 7, 2, 6), kLnaOk);  // no such C type: nothing sent

  const char* qualifier = "master";
  EXPECT_EQ(LnaSetConnectOptionMP(conn, 109, reinterpret_cast<uintptr_t>(qualifier), 1), kLnaOk);
  EXPECT_EQ(LnaSetStmtOptionSP(stmt, 1, 500, 4), kLnaOk);

  char text[kLnaOptionTextSize + 8];
  std::memset(text, '#', sizeof text);
  uint16_t c_type = 0;
  EXPECT_EQ(LnaGetConnectOptionMP(conn, 109, text, &c_type), kLnaOk);
  EXPECT_EQ(c_type, 1);
  EXPECT_EQ(std::strlen(text), kLnaOptionTextSize - 1);
  EXPECT_EQ(text[kLnaOptionTextSize], '#');

  uintptr_t number = 0;
  EXPECT_EQ(LnaGetStmtOptionSP(stmt, 1000, &number, &c_type), kLnaOk);
  EXPECT_EQ(number, 42u);
  EXPECT_EQ(c_type, 4);

  std::vector<Bytes> received = peer.Received(0);
  ASSERT_EQ(received.size(), 4u);
  EXPECT_EQ(ProcedureOf(received[0]), 33u);
  // The text travels with its NUL: length strlen + 1.
  EXPECT_EQ(Bytes(received[0].begin() + 20, received[0].begin() + 26), Cat({Be16(1), Be32(7)}));
  EXPECT_EQ(ProcedureOf(received[1]), 35u);
}

// The server's warning of a catalog call is handed on as 1, so that it is
// read with this call, and the result's column state is made afresh.
TEST_F(OperationsTest, CatalogWarningIsPassedOn) {
  ScriptedPeer peer({Steps({Answer(1, CatalogFields())})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Stmt(conn);
  stmt->column_count = 3;
  LnaColumnDesc* cols = nullptr;
  uint16_t n = 9;
  EXPECT_EQ(LnaTablesSP(stmt, nullptr, nullptr, "t%", 1, &cols, &n, 0), kLnaInfo);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(stmt->column_count, 0);
  EXPECT_EQ(stmt->fetch_state, kLnaNewResult);
}

TEST_F(OperationsTest, LongDataOfAnotherTypeIsRefusedAndCopiesStayInTheBuffer) {
  Bytes binary = Cat({Be16(0xFFFE), Be32(6), Be32(6), Bytes{1, 2, 3, 4, 5, 6}, Be32(6)});
  ScriptedPeer peer({Steps({Answer(0, binary), Answer(0, binary)})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Stmt(conn);
  uint8_t buffer[8];
  std::memset(buffer, 0xEE, sizeof buffer);
  int32_t length = 0;

  EXPECT_EQ(LnaGetLongDataSP(stmt, 1, -2, buffer, 4, &length, 0), kLnaOk);
  EXPECT_EQ(length, 6);
  EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{1, 2, 3, 4, 0xEE}));

  EXPECT_EQ(LnaGetLongDataSP(stmt, 1, 1, buffer, 8, &length, 0), kLnaFailed);
  LnaDiagRecord d = Diagnostic(nullptr, stmt);
  EXPECT_STREQ(d.sqlstate, "S1000");
  EXPECT_EQ(d.native_error, 2021);
  EXPECT_EQ(LnaIsBroken(conn), 0u);
}

// A returned output parameter is copied within its binding's buffer; one of
// another C type than its binding is refused.
TEST_F(OperationsTest, OutputParametersAreBoundedByTheirBuffers) {
  auto returned = [](int16_t c_type, const std::string& s) {
    Bytes text(s.begin(), s.end());
    text.push_back(0);
    Bytes desc = Cat({Be16(1), Be16(4), Be16(1), Be32(10), Be16(0), Be32(4),
                      Be16(static_cast<uint16_t>(c_type)), Be32(static_cast<uint32_t>(s.size())),
                      Be32(static_cast<uint32_t>(text.size())), text});
    return Cat({Null(), Be16(0), Null(), Be16(0), Be32(1), Be16(1), Be32(1), desc, Be32(0)});
  };
  ScriptedPeer peer({Steps({Answer(0, returned(1, "abcdefgh")), Answer(0, returned(1, "xy"))})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Stmt(conn);
  char out[8];
  std::memset(out, '#', sizeof out);
  ParamValueEntry binding{1, 4, 1, 1, 10, 0, out, 4, 0};
  LnaColumnDesc* cols = nullptr;
  LnaParamDesc* params = nullptr;
  uint16_t nc = 0, np = 0;
  int32_t rows = 0;

  EXPECT_EQ(LnaExecDirectMP(stmt, "{call p(?)}", &cols, &nc, &params, &np, 0, nullptr, 1, &binding,
                            &rows, 0),
            kLnaOk);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(out[4], '#');
  EXPECT_EQ(binding.value_length, 8);

  binding.c_type = 4;
  EXPECT_EQ(LnaExecDirectMP(stmt, "{call p(?)}", &cols, &nc, &params, &np, 0, nullptr, 1, &binding,
                            &rows, 0),
            kLnaFailed);
  EXPECT_STREQ(out, "abc");
}

}  // namespace
}  // namespace lna_call_test
