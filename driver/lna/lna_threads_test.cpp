// The fields that application threads may touch at once on one connection:
// the broken flag, the saved diagnostics and the asynchronous state. Run
// under ThreadSanitizer (VEL_TSAN) to show them race-free.
#include <thread>
#include <vector>

#include "driver/lna/lna_async.h"
#include "driver/lna/lna_errors.h"
#include "testing/lna_call_test_support.h"

namespace lna_call_test {
namespace {

constexpr int kRounds = 300;

class SharedFieldsTest : public CallLayerTest {};

TEST_F(SharedFieldsTest, ThreadsOnOneConnectionKeepItConsistent) {
  LnaConnection* conn = nullptr;
  ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
  LnaStatement* a = Stmt(conn, 9);
  LnaStatement* b = Stmt(conn, 10);

  std::vector<std::thread> threads;
  threads.emplace_back([&] {  // posts and reads the connection's diagnostic
    for (int i = 0; i < kRounds; ++i) {
      PostLnaError(conn, nullptr, 5135, 0, 1000 + i);
      LnaDiagRecord d[kLnaMaxDiagnostics];
      uint16_t n = 0;
      LnaGetDiagnostics(conn, nullptr, d, &n);
      if (n == 1) {
        EXPECT_STREQ(d[0].sqlstate, "S1000");
      }
    }
  });
  threads.emplace_back([&] {  // breaks and mends
    for (int i = 0; i < kRounds; ++i) LnaSetBroken(conn, static_cast<uint32_t>(i & 1));
  });
  threads.emplace_back([&] {  // starts, completes and cancels A's call
    for (int i = 0; i < kRounds; ++i) {
      uint32_t skip = 0;
      if (_rcLnaCheckStmtAsync(a, 13, 1, &skip) == kLnaOk)
        _rcLnaEndStmtAsync(a, 13, kLnaOk, 1, &skip);
      LnaCancelSP(a);
    }
  });
  threads.emplace_back([&] {  // B and the connection meet A's pending call
    for (int i = 0; i < kRounds; ++i) {
      uint32_t skip = 0;
      _rcLnaCheckStmtAsync(b, 25, 0, &skip);
      _rcLnaCheckNoAsync(conn, nullptr);
      (void)LnaIsBroken(conn);
      LnaDiagRecord d[kLnaMaxDiagnostics];
      uint16_t n = 0;
      LnaGetDiagnostics(nullptr, b, d, &n);
    }
  });
  for (std::thread& t : threads) t.join();

  // Whatever the interleaving, a cancel on a broken connection ends the
  // pending call and the state is one of the three.
  LnaSetBroken(conn, 1);
  LnaCancelSP(a);
  EXPECT_EQ(LnaAsyncState(conn), kLnaAsyncIdle);
  EXPECT_EQ(conn->async_owner, nullptr);
  LnaFreeConnect(conn);
}

}  // namespace
}  // namespace lna_call_test
