// What the server holds for clients: each connection within its bound, all
// of them within the server's, a refusal changing nothing, and everything
// given back when its holder goes.
#include "server/memory_budget.h"

#include <gtest/gtest.h>

#include <memory>

namespace velsrv {
namespace {

TEST(MemoryBudgetTest, ChargesStayWithinTheConnectionAndTheServerBounds) {
  MemoryBudget budget(/*server_limit=*/1000, /*connection_limit=*/600);
  auto a = std::make_unique<MemoryAccount>(budget);
  MemoryAccount b(budget);
  MemoryCharge first, second, third;
  first.set_account(a.get());
  second.set_account(a.get());
  third.set_account(&b);

  struct Step {
    MemoryCharge* charge;
    uint64_t bytes;
    MemoryRefusal expected;
    uint64_t server_after;
  } steps[] = {
      {&first, 400, MemoryRefusal::kNone, 400},
      {&second, 300, MemoryRefusal::kConnection, 400},  // a would hold 700
      {&second, 200, MemoryRefusal::kNone, 600},
      {&third, 500, MemoryRefusal::kServer, 600},  // the server would hold 1100
      {&third, 400, MemoryRefusal::kNone, 1000},
      {&first, 100, MemoryRefusal::kNone, 700},  // shrinking gives back
      {&third, 600, MemoryRefusal::kNone, 900},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.bytes);
    EXPECT_EQ(s.charge->Resize(s.bytes), s.expected);
    EXPECT_EQ(budget.held(), s.server_after);
  }
  EXPECT_EQ(second.bytes(), 200u);
  EXPECT_NE(a->RefusalText(MemoryRefusal::kConnection).find("600 bytes per connection"),
            std::string::npos);
  EXPECT_NE(a->RefusalText(MemoryRefusal::kServer).find("(1000 bytes)"), std::string::npos);

  // Holders that go give back what they held.
  first.Resize(0);
  second.Resize(0);
  EXPECT_EQ(a->held(), 0u);
  a.reset();
  EXPECT_EQ(budget.held(), 600u);
  // Without an account a charge is bounded by nothing.
  MemoryCharge free_standing;
  EXPECT_EQ(free_standing.Resize(uint64_t{1} << 40), MemoryRefusal::kNone);
}

}  // namespace
}  // namespace velsrv
