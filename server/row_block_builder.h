// Row blocks: whole rows of the open result set, as many as fit the client's
// array fetch buffer, each column's values in one column block.
#pragma once

#include <cstdint>
#include <vector>

#include "server/call.h"
#include "wire/fetch_request.h"
#include "wire/msg_buf.h"
#include "wire/row_reply.h"

namespace velsrv {

struct BuiltBlock {
  int16_t status = 0;  // 0: rows may follow; -16: the result's rows end here
  uint16_t count = 0;  // values in the block: rows × columns
  std::vector<uint8_t> bytes;
};

// Reads the next rows of the call's statement in the shapes `requests`
// gives (one per result column) and builds their block; returns the reply's
// status. A failure after some rows were read ends the block early and is
// reported by the next call.
int16_t NextRowBlock(Call& call, const std::vector<LnaFetchRequest>& requests, BuiltBlock* block);

// The wire's view of a built block; it points into `block`.
LnaRowBlock BlockView(const BuiltBlock& block);

// Reads one column of the current row for each request whose length is not
// 0 (the others are left for long data), into `cells`; the worst result of
// the backend's calls.
BackendRc ReadRowCells(BackendStatement& backend, const std::vector<LnaFetchRequest>& requests,
                       std::vector<Cell>* cells, DiagList* diags);

// The worse of two results: an error over information over success.
BackendRc Worse(BackendRc a, BackendRc b);

}  // namespace velsrv
