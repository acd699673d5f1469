// The fetch against a scripted server: single rows, rows out of row blocks
// (split across blocks, with the first block coming with the execution),
// the end of the rows, and replies that cannot be read.
#include "driver/lna/lna_fetch.h"

#include <cstring>
#include <optional>

#include "driver/lna/lna_stmt_buffers.h"
#include "testing/lna_call_test_support.h"
#include "testing/test_env.h"
#include "wire/row_block_encoder.h"
#include "wire/typed_value.h"

namespace lna_call_test {
namespace {

using Value = std::optional<std::string>;  // nullopt: null
using Column = std::vector<Value>;

// A row block's reply fields: one column block per column, the values of
// each column in `columns`.
Bytes BlockFields(int16_t status, const std::vector<Column>& columns) {
  std::vector<uint8_t> bytes;
  uint16_t count = 0;
  for (const Column& column : columns) {
    std::vector<BlockValue> values;
    for (const Value& v : column)
      values.push_back(v ? BlockValue{reinterpret_cast<const uint8_t*>(v->data()),
                                      static_cast<int32_t>(v->size())}
                         : BlockValue{nullptr, -1});
    ColumnBlockEncoder encoder{};
    EXPECT_EQ(EncodeColumnBlock(&encoder, values.data(), static_cast<uint32_t>(values.size()),
                                BlockForm::kSmallest, BlockCompression::kNone, status != 0, &bytes),
              1);
    FreeColumnBlockEncoder(&encoder);
    count = static_cast<uint16_t>(count + column.size());
  }
  auto n = static_cast<uint32_t>(bytes.size());
  return Cat({Be16(static_cast<uint16_t>(status)), Be16(count), Be32(n),
              n > 0 ? Cat({Be32(n), Bytes(bytes.begin(), bytes.end())}) : Null()});
}

// A single row's reply fields: each value as its length and bytes.
Bytes RowFields(const std::vector<Value>& values) {
  Bytes row;
  for (const Value& v : values) row = Cat({row, v ? Str(*v) : Null()});
  auto n = static_cast<uint32_t>(row.size());
  return Cat({Be32(n), n > 0 ? Cat({Be32(n), row}) : Null()});
}

// The execution's reply fields with its first row block.
Bytes ExecuteFields(const Bytes& block) {
  return Cat({Be32(1), Be16(0), Null(), Be32(0), block});
}

// Text slots of `n` columns; each fetch's values read back as text.
struct Row {
  explicit Row(size_t n, int32_t size = 16) : buffers(n, std::string(size, '#')), slots(n) {
    for (size_t i = 0; i < n; ++i) slots[i] = {kCTypeChar, buffers[i].data(), size, -77};
  }
  std::vector<Value> Values() const {
    std::vector<Value> out;
    for (size_t i = 0; i < slots.size(); ++i)
      out.push_back(slots[i].result_length < 0
                        ? Value()
                        : Value(buffers[i].substr(0, static_cast<size_t>(slots[i].result_length))));
    return out;
  }
  std::vector<std::string> buffers;
  std::vector<LnaFetchSlot> slots;
};

class FetchTest : public CallLayerTest {
 protected:
  LnaStatement* Result(LnaConnection* conn, uint16_t columns, bool array) {
    conn->array_fetch = array ? 1 : 0;
    conn->array_buffer_size = kDefaultArrayBuffer;
    LnaStatement* stmt = Stmt(conn);
    EXPECT_EQ(LnaSetResultColumns(stmt, columns, nullptr), kLnaOk);
    return stmt;
  }
  // Fetches until -16 or a failure, at most `limit` times.
  std::vector<std::vector<Value>> FetchAll(LnaStatement* stmt, Row& row, int16_t* last,
                                           int limit = 10) {
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < limit; ++i) {
      *last = LnaFetchMP(stmt, row.slots.data(), 0);
      if (*last != kLnaOk && *last != kLnaInfo) break;
      rows.push_back(row.Values());
    }
    return rows;
  }
};

const std::vector<std::vector<Value>> kThreeRows = {
    {"1", "a", "x"}, {"2", "b", "y"}, {"3", "c", "z"}};

TEST_F(FetchTest, SingleRowsUntilTheEnd) {
  ScriptedPeer peer(
      {Steps({Answer(0, RowFields({"42", "hello"})), Answer(0, RowFields({std::nullopt, ""})),
              Answer(kLnaNoData, RowFields({}))})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Result(conn, 2, false);
  Row row(2);
  int16_t last = 0;
  auto rows = FetchAll(stmt, row, &last);
  EXPECT_EQ(last, kLnaNoData);
  EXPECT_EQ(rows, (std::vector<std::vector<Value>>{{"42", "hello"}, {std::nullopt, ""}}));
  EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{15, 15, 15}));
  EXPECT_EQ(LnaColumnFetched(stmt, 1), 1);
  EXPECT_EQ(LnaColumnFetched(stmt, 3), 0);
}

TEST_F(FetchTest, SingleRowWhoseLengthsLieIsRefused) {
  struct Case {
    const char* name;
    Bytes fields;
  };
  const Case cases[] = {
      {"length past the row", Cat({Be32(7), Be32(7), Be32(100), Bytes{'a', 'b', 'c'}})},
      {"value missing", RowFields({"only one"})},
      {"no row at all", RowFields({})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer({Steps({Answer(0, c.fields)})});
    LnaConnection* conn = Connected(peer);
    LnaStatement* stmt = Result(conn, 2, false);
    Row row(2);
    EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaFailed);
    LnaDiagRecord d = Diagnostic(conn, stmt);
    EXPECT_EQ(d.native_error, 2015);
    EXPECT_EQ(LnaIsBroken(conn), 0u);
  }
}

TEST_F(FetchTest, ColumnsTooLongForTheArrayBufferAreLeftForLongData) {
  const int32_t big = static_cast<int32_t>(kDefaultArrayBuffer) - 15;
  const int32_t fits = static_cast<int32_t>(kDefaultArrayBuffer) - 16;
  struct Case {
    const char* name;
    std::vector<int32_t> sizes;
    uint32_t extensions;
    std::vector<int> fetched;
  };
  const Case cases[] = {
      {"all fit", {4, fits, 10}, 0, {1, 1, 1}},
      {"later columns follow the long one", {4, big, 10}, 0, {1, 0, 0}},
      {"any column", {4, big, 10}, 1, {1, 0, 1}},
      {"any order", {big, 4, 10}, 2, {0, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LnaConnection* conn = NewRecord();
    conn->getdata_extensions = c.extensions;
    LnaStatement* stmt = Result(conn, 3, true);
    std::vector<LnaFetchSlot> slots;
    for (int32_t size : c.sizes) slots.push_back({kCTypeChar, nullptr, size, 0});
    LnaMarkFetchColumns(stmt, slots.data());
    std::vector<int> fetched;
    for (uint16_t i = 1; i <= 3; ++i) fetched.push_back(LnaColumnFetched(stmt, i));
    EXPECT_EQ(fetched, c.fetched);
    const bool any_long = c.fetched != std::vector<int>{1, 1, 1};
    EXPECT_EQ(stmt->long_columns, any_long ? 1u : 0u);
    EXPECT_EQ(LnaColumnFetched(stmt, 0), 0);
    EXPECT_EQ(LnaColumnFetched(stmt, 4), 0);
  }
}

TEST_F(FetchTest, LongColumnSendsTheResultThroughSingleRows) {
  ScriptedPeer peer({Steps({Answer(0, RowFields({"1"})), Answer(0, RowFields({"2"}))})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Result(conn, 2, true);
  Row row(2, static_cast<int32_t>(kDefaultArrayBuffer));
  row.slots[0].buffer_length = 8;
  EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaOk);
  EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaOk);
  EXPECT_EQ(row.Values()[0], Value("2"));
  EXPECT_EQ(LnaColumnFetched(stmt, 2), 0);
  EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{15, 15}));
  // Each request ends with the column state: C type, length asked for,
  // long-column flag.
  const Bytes state = Cat({Be16(2), Be16(1), Be32(8), Be16(0), Be16(1), Be32(0), Be16(0)});
  for (const Bytes& request : peer.Received(0)) {
    ASSERT_GE(request.size(), state.size());
    EXPECT_EQ(Bytes(request.end() - static_cast<long>(state.size()), request.end()), state);
  }
}

TEST_F(FetchTest, RowsSplitAcrossBlocksComeWholeAndOnce) {
  struct Case {
    const char* name;
    int16_t first_status;  // of the reply and its block
  };
  // A used-up block whose status is 1 is followed by the next block, never
  // decoded a second time.
  const Case cases[] = {{"status 0", 0}, {"status 1", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Seven values from column 0, then two from column 1.
    ScriptedPeer peer(
        {Steps({Answer(c.first_status,
                       BlockFields(c.first_status, {{"1", "2", "3"}, {"a", "b"}, {"x", "y"}})),
                Answer(0, BlockFields(kLnaNoData, {{}, {"c"}, {"z"}}))})});
    LnaConnection* conn = Connected(peer);
    LnaStatement* stmt = Result(conn, 3, true);
    Row row(3);
    int16_t last = 0;
    auto rows = FetchAll(stmt, row, &last);
    EXPECT_EQ(last, kLnaNoData);
    EXPECT_EQ(rows, kThreeRows);
    // The end came with the last block: no request after it.
    EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{2, 2}));
    EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaNoData);
    EXPECT_EQ(Procedures(peer).size(), 2u);
    EXPECT_EQ(stmt->decoders, nullptr);
  }
}

TEST_F(FetchTest, EmptyFinalBlockEndsTheRows) {
  ScriptedPeer peer(
      {Steps({Answer(0, BlockFields(0, {{"1"}})), Answer(0, BlockFields(kLnaNoData, {{}}))})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Result(conn, 1, true);
  Row row(1);
  int16_t last = 0;
  EXPECT_EQ(FetchAll(stmt, row, &last), (std::vector<std::vector<Value>>{{"1"}}));
  EXPECT_EQ(last, kLnaNoData);
  EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{2, 2}));
}

TEST_F(FetchTest, FirstBlockOfTheExecutionIsDeliveredOnce) {
  struct Case {
    const char* name;
    int16_t status;      // of the execution
    int32_t first_size;  // of the first column's buffer
  };
  const Case cases[] = {
      {"execution succeeds", 0, 16},
      {"execution with a warning", 1, 16},
      {"first fetch would take single rows", 0, static_cast<int32_t>(kDefaultArrayBuffer)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer({Steps(
        {Answer(c.status, ExecuteFields(BlockFields(0, {{"1", "2"}, {"a", "b"}, {"x", "y"}}))),
         Answer(0, BlockFields(kLnaNoData, {{"3"}, {"c"}, {"z"}}))})});
    LnaConnection* conn = Connected(peer);
    LnaStatement* stmt = Result(conn, 3, true);
    int32_t rows_affected = 0;
    EXPECT_EQ(LnaExecuteMP(stmt, 0, nullptr, 0, nullptr, &rows_affected, 0), c.status);
    Row row(3);
    row.slots[0].buffer_length = c.first_size;
    int16_t last = 0;
    auto rows = FetchAll(stmt, row, &last);
    EXPECT_EQ(last, kLnaNoData);
    EXPECT_EQ(rows, kThreeRows);
    EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{50, 2}));
  }
}

TEST_F(FetchTest, ExecutionWhoseBlockIsFinalNeedsNoRequest) {
  ScriptedPeer peer(
      {Steps({Answer(0, ExecuteFields(BlockFields(kLnaNoData, {{"1"}, {"a"}, {"x"}})))})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Result(conn, 3, true);
  EXPECT_EQ(LnaExecuteMP(stmt, 0, nullptr, 0, nullptr, nullptr, 0), kLnaOk);
  Row row(3);
  int16_t last = 0;
  EXPECT_EQ(FetchAll(stmt, row, &last), (std::vector<std::vector<Value>>{{"1", "a", "x"}}));
  EXPECT_EQ(last, kLnaNoData);
  EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{50}));
}

TEST_F(FetchTest, UnreadableBlockFailsAndEndsTheResult) {
  struct Case {
    const char* name;
    Bytes fields;
  };
  const Case cases[] = {
      {"column block past its bytes", Cat({Be16(0), Be16(2), Be32(4), Be32(4), Be32(0x0000FFFF)})},
      {"values but no bytes", Cat({Be16(0), Be16(2), Be32(0), Null()})},
      {"integer of three bytes", BlockFields(0, {{"abc"}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer({Steps({Answer(0, c.fields)})});
    LnaConnection* conn = Connected(peer);
    LnaStatement* stmt = Result(conn, 1, true);
    Row row(1);
    row.slots[0].c_type = kCTypeLong;
    EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaFailed);
    EXPECT_EQ(Diagnostic(conn, stmt).native_error, 2002);
    EXPECT_EQ(stmt->decoders, nullptr);
    EXPECT_EQ(stmt->block.bytes, nullptr);
    // Nothing more of this result; no request for it.
    EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaNoData);
    EXPECT_EQ(Procedures(peer).size(), 1u);
  }
}

TEST_F(FetchTest, ServerErrorOfABlockIsReturnedAsItIs) {
  ScriptedPeer peer({Steps({Answer(kLnaServerError, BlockFields(kLnaServerError, {{}}))})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Result(conn, 1, true);
  Row row(1);
  EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaServerError);
  EXPECT_EQ(stmt->decoders, nullptr);
}

TEST_F(FetchTest, AnotherStatementsPendingCallLeavesTheResultAlone) {
  ScriptedPeer peer({Steps({Answer(0, BlockFields(kLnaNoData, {{"1", "2"}}))})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Result(conn, 1, true);
  LnaStatement* other = Stmt(conn, kServerStmt + 1);
  Row row(1);
  ASSERT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaOk);
  conn->async_state = kLnaAsyncStarted;
  conn->async_owner = other;
  EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaFailed);
  EXPECT_EQ(Diagnostic(conn, stmt).native_error, 1503);
  conn->async_state = kLnaAsyncIdle;
  conn->async_owner = nullptr;
  EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaOk);
  EXPECT_EQ(row.Values()[0], Value("2"));
  EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaNoData);
  EXPECT_EQ(Procedures(peer).size(), 1u);
}

TEST_F(FetchTest, RepeatedPendingFetchFinishesTheRowItBegan) {
  // The second row begins in the first block and ends in the block the
  // pending call brings.
  Bytes second = BlockFields(kLnaNoData, {{}, {"b"}});
  ScriptedPeer peer({Steps(
      {Answer(0, BlockFields(0, {{"1", "2"}, {"a"}})), Answer(0, second), Answer(0, second)})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Result(conn, 2, true);
  Row row(2);
  ASSERT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaOk);
  EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 1), kLnaStillExecuting);
  EXPECT_EQ(stmt->current_column, 1u);
  // The application cancels; the repeated call completes.
  conn->async_state = kLnaAsyncCancelRequested;
  EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 1), kLnaOk);
  EXPECT_EQ(row.Values(), (std::vector<Value>{"2", "b"}));
  EXPECT_EQ(LnaAsyncState(conn), kLnaAsyncIdle);
  EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaNoData);
  EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{2, 2, 2}));
}

TEST_F(FetchTest, DecodersThatCannotBeMadeFailTheFetch) {
  ScriptedPeer peer({Steps({})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Result(conn, 2, true);
  Row row(2);
  MemFailAfter(1);
  int16_t rc = LnaFetchMP(stmt, row.slots.data(), 0);
  MemFailAfter(0);
  EXPECT_EQ(rc, kLnaFailed);
  LnaDiagRecord d = Diagnostic(conn, stmt);
  EXPECT_EQ(d.native_error, 1401);
  EXPECT_EQ(std::string(d.sqlstate), "S1001");
  EXPECT_TRUE(Procedures(peer).empty());
}

TEST_F(FetchTest, NoStatementOrBrokenConnection) {
  Row row(1);
  EXPECT_EQ(LnaFetchMP(nullptr, row.slots.data(), 0), kLnaNoRecord);
  LnaConnection* conn = NewRecord();
  LnaStatement* stmt = Result(conn, 1, false);
  LnaSetBroken(conn, 1);
  EXPECT_EQ(LnaFetchMP(stmt, row.slots.data(), 0), kLnaFailed);
  EXPECT_EQ(Diagnostic(conn, stmt).native_error, 1401);
}

}  // namespace
}  // namespace lna_call_test
