#include "server/server_statement.h"

namespace velsrv {

namespace {

uint64_t RowBytes(const std::vector<Cell>& row) {
  uint64_t n = 0;
  for (const Cell& c : row) n += c.bytes.capacity();
  return n;
}

uint64_t RowsBytes(const auto& rows) {
  uint64_t n = 0;
  for (const std::vector<Cell>& row : rows) n += RowBytes(row);
  return n;
}

}  // namespace

void ServerStatement::ChargeResult() {
  const ServerResult& r = result;
  result_memory.Resize(RowsBytes(r.waiting) + RowBytes(r.continued_row) + RowsBytes(r.block_rows) +
                       RowsBytes(r.ahead.rows) + RowBytes(r.ahead.continued_row));
}

}  // namespace velsrv
