#include "server/param_markers.h"

#include <gtest/gtest.h>

namespace {

TEST(ParamMarkersTest, CountsMarkersOutsideQuotes) {
  struct Case {
    const char* sql;
    uint16_t markers;
  } cases[] = {
      {"", 0},
      {"SELECT 1", 0},
      {"INSERT INTO t VALUES (?, ?, ?)", 3},
      {"SELECT '?' FROM t WHERE a = ?", 1},
      {"SELECT \"odd?name\" FROM t WHERE a = ? AND b = 'it''s ?'", 1},
      {"{? = call f(?)}", 2},
      {"SELECT 'unclosed ? ?", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(velsrv::CountParamMarkers(c.sql), c.markers) << c.sql;
}

}  // namespace
