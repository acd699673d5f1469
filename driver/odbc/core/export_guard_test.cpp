#include "driver/odbc/core/export_guard.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

// No exception may reach the driver manager: each kind becomes SQL_ERROR,
// and only running out of memory posts a diagnostic.
TEST(ExportGuard, ExceptionsBecomeErrorsAndMemoryIsReported) {
  struct Case {
    const char* name;
    SQLRETURN (*body)();
    SQLRETURN result;
    int posts;
  } cases[] = {
      {"returns", [] { return SQLRETURN{SQL_SUCCESS_WITH_INFO}; }, SQL_SUCCESS_WITH_INFO, 0},
      {"out of memory", []() -> SQLRETURN { throw std::bad_alloc(); }, SQL_ERROR, 1},
      {"other exception", []() -> SQLRETURN { throw std::runtime_error("x"); }, SQL_ERROR, 0},
      {"not an exception class", []() -> SQLRETURN { throw 7; }, SQL_ERROR, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int posts = 0;
    EXPECT_EQ(Guarded([&] { ++posts; }, c.body), c.result);
    EXPECT_EQ(posts, c.posts);
  }
}

TEST(ExportGuard, APostThatThrowsStillGivesAnError) {
  EXPECT_EQ(
      Guarded([]() { throw std::bad_alloc(); }, []() -> SQLRETURN { throw std::bad_alloc(); }),
      SQL_ERROR);
}

}  // namespace
