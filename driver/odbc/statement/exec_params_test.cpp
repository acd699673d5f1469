// The parameter buffer without a server: which values go in which list,
// the copies of texts, and the values that come back into the
// application's buffers.
#include "driver/odbc/statement/exec_params.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/memory.h"
#include "common/rec_array.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/statement/param_binding.h"
#include "testing/stmt_test_support.h"

namespace {

using States = std::vector<std::string>;

ParamBinding TextBinding(uint16_t number, uint16_t type, char* value, int32_t buffer, SQLLEN* ind) {
  ParamBinding b{};
  b.number = number;
  b.param_type = type;
  b.c_type = SQL_C_CHAR;
  b.sql_type = SQL_VARCHAR;
  b.column_size = 100;
  b.value = value;
  b.app_value = value;
  b.buffer_length = buffer;
  b.length = ind;
  b.flags = kParamBound;
  return b;
}

void Bind(DrvStmt* s, const std::vector<ParamBinding>& bindings) {
  s->param_bindings = ArrCreate(5, sizeof(ParamBinding), 0, 0);
  for (const ParamBinding& b : bindings) ASSERT_EQ(ArrAppend(s->param_bindings, &b), kArrOk);
  s->marker_count = static_cast<uint32_t>(bindings.size());
}

TEST(ExecParamsTest, TextsGoAsCopiesAndInputOutputCopiesHoldTheWholeValue) {
  StmtFixture f;
  DrvStmt* s = f.stmt();
  char input[] = "abc";
  char in_out[16] = "abcdefghij";
  char out[8] = {};
  SQLLEN nts = SQL_NTS;
  SQLLEN ten = 10;  // longer than the buffer of 8 it claims to be in
  SQLLEN out_ind = 0;
  Bind(s, {TextBinding(1, kParamInput, input, 0, &nts),
           TextBinding(2, kParamInputOutput, in_out, 8, &ten),
           TextBinding(3, kParamOutput, out, sizeof out, &out_ind)});
  ASSERT_EQ(PrepareExecParams(s), SQL_SUCCESS) << testing::PrintToString(f.States());
  ASSERT_EQ(PrepareExecuteParams(s), SQL_SUCCESS);
  const ParamBuffer& buffer = s->param_buffer;
  ASSERT_EQ(buffer.in_count, 2);
  ASSERT_EQ(buffer.out_count, 2);

  const ParamValueEntry& first = buffer.in_list[0];
  EXPECT_EQ(first.number, 1);
  EXPECT_EQ(first.value_length, 3);
  EXPECT_NE(first.value, static_cast<void*>(input));
  EXPECT_EQ(MemSize(first.value), 4u);
  EXPECT_STREQ(static_cast<char*>(first.value), "abc");

  const ParamValueEntry& sent = buffer.in_list[1];
  EXPECT_EQ(sent.value_length, 10);
  EXPECT_STREQ(static_cast<char*>(sent.value), "abcdefghij");
  const ParamValueEntry& back = buffer.out_list[0];
  EXPECT_EQ(back.number, 2);
  EXPECT_EQ(back.value_length, SQL_NULL_DATA);
  // What comes back may be as long as what went out.
  EXPECT_GE(MemSize(back.value), 11u);
  EXPECT_LE(static_cast<size_t>(back.buffer_length), MemSize(back.value));

  const ParamValueEntry& output = buffer.out_list[1];
  EXPECT_EQ(output.number, 3);
  EXPECT_EQ(output.value, static_cast<void*>(out));
  EXPECT_EQ(output.buffer_length, 8);
  FreeParamValueCopies(s);
  EXPECT_EQ(s->param_buffer.value_copies, nullptr);
}

TEST(ExecParamsTest, ReturnedValuesReachTheApplication) {
  struct Case {
    const char* what;
    uint16_t type;
    int32_t buffer;
    const char* returned;  // null: NULL
    const char* seen;      // what the application's buffer holds after
    SQLLEN indicator;
    SQLRETURN code;
  };
  const Case cases[] = {
      {"in/out that fits", kParamInputOutput, 8, "1234567", "1234567", 7, SQL_SUCCESS},
      // The copy holds the 5 characters that went out, more than the 4 of
      // the application's buffer.
      {"in/out longer than the buffer", kParamInputOutput, 4, "12345", "123", 5,
       SQL_SUCCESS_WITH_INFO},
      {"in/out NULL", kParamInputOutput, 8, nullptr, "start", SQL_NULL_DATA, SQL_SUCCESS},
      {"output that fits", kParamOutput, 8, "abc", "abc", 3, SQL_SUCCESS},
      {"output that filled it", kParamOutput, 8, "abcdefg", "abcdefg", 9, SQL_SUCCESS_WITH_INFO},
      {"output NULL", kParamOutput, 8, nullptr, "start", SQL_NULL_DATA, SQL_SUCCESS},
  };
  for (const Case& c : cases) {
    StmtFixture f;
    DrvStmt* s = f.stmt();
    char app[16];
    std::memset(app, '#', sizeof app);
    std::strcpy(app, "start");
    SQLLEN ind = 5;
    Bind(s, {TextBinding(1, c.type, app, c.buffer, &ind)});
    ASSERT_EQ(PrepareExecParams(s), SQL_SUCCESS) << c.what;
    ASSERT_EQ(PrepareExecuteParams(s), SQL_SUCCESS) << c.what;
    ParamValueEntry& entry = s->param_buffer.out_list[0];
    // As the call layer leaves it: the text within the entry's buffer and
    // the length the server gave.
    if (c.returned != nullptr) {
      size_t n = std::strlen(c.returned);
      if (entry.value != app) {
        ASSERT_LT(n, static_cast<size_t>(entry.buffer_length)) << c.what;
        std::memcpy(entry.value, c.returned, n + 1);
        entry.value_length = static_cast<int32_t>(n);
      } else {
        size_t kept = std::min<size_t>(n, static_cast<size_t>(c.buffer) - 1);
        std::memcpy(app, c.returned, kept);
        app[kept] = '\0';
        entry.value_length = static_cast<int32_t>(c.indicator);
      }
    }
    EXPECT_EQ(ReturnOutputParams(s), c.code) << c.what;
    EXPECT_STREQ(app, c.seen) << c.what;
    EXPECT_EQ(ind, c.indicator) << c.what;
    EXPECT_EQ(std::string(app + 8, 8), std::string(8, '#')) << c.what;
    EXPECT_EQ(f.States(), c.code == SQL_SUCCESS ? States{} : States{"01004"}) << c.what;
  }
}

TEST(ExecParamsTest, UnboundMarkersAreNamedOnce) {
  StmtFixture f;
  DrvStmt* s = f.stmt();
  char value[] = "x";
  SQLLEN nts = SQL_NTS;
  ParamBinding unbound{};
  Bind(s, {unbound, TextBinding(2, kParamInput, value, 0, &nts), unbound});
  EXPECT_EQ(PrepareExecParams(s), SQL_ERROR);
  std::vector<std::string> messages = f.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[0].find("07001"), std::string::npos);
  EXPECT_NE(messages[0].find("parameter #1."), std::string::npos) << messages[0];
  EXPECT_NE(messages[1].find("parameter #3."), std::string::npos) << messages[1];
}

}  // namespace
