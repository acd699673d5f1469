#include "common/tls_slot.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(TlsSlot, EachThreadHasItsOwnValue) {
  ASSERT_EQ(TlsSlotInit(), 0);
  EXPECT_EQ(TlsSlotGet(), 0u);
  TlsSlotSet(202);
  uint32_t other_before = 1, other_after = 1;
  std::thread([&] {
    other_before = TlsSlotGet();
    TlsSlotSet(7);
    other_after = TlsSlotGet();
  }).join();
  EXPECT_EQ(other_before, 0u);  // a thread that never set it reads 0
  EXPECT_EQ(other_after, 7u);
  EXPECT_EQ(TlsSlotGet(), 202u);
  EXPECT_EQ(TlsSlotTerm(), 0);
}

}  // namespace
