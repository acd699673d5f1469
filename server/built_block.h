// A row block as a fetch reply carries it.
#pragma once

#include <cstdint>
#include <vector>

namespace velsrv {

struct BuiltBlock {
  int16_t status = 0;  // 0: rows may follow; -16: the result's rows end here
  uint16_t count = 0;  // values in the block: rows × columns
  std::vector<uint8_t> bytes;
};

}  // namespace velsrv
