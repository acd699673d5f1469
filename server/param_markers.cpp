#include "server/param_markers.h"

#include <algorithm>

namespace velsrv {

uint16_t CountParamMarkers(const std::string& sql) {
  uint32_t n = 0;
  char quote = 0;
  for (char c : sql) {
    if (quote != 0) {
      // A doubled quote inside a quoted text closes and reopens it: the
      // count is the same.
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '?') {
      ++n;
    }
  }
  return static_cast<uint16_t>(std::min<uint32_t>(n, 65535));
}

}  // namespace velsrv
