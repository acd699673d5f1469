// Row blocks: whole rows of the open result set, as many as fit the client's
// array fetch buffer, each column's values in one column block. While the
// client decodes one block the server builds the next, for the same
// requests; any other request takes the rows of that block as rows not yet
// sent.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "server/built_block.h"
#include "server/call.h"
#include "wire/fetch_request.h"
#include "wire/msg_buf.h"
#include "wire/row_reply.h"

namespace velsrv {

// Reads the next rows of the call's statement in the shapes `requests`
// gives (one per result column) and builds their block; returns the reply's
// status. A failure after some rows were read ends the block early and is
// reported by the next call.
int16_t NextRowBlock(Call& call, const std::vector<LnaFetchRequest>& requests, BuiltBlock* block);

// After a block's reply is out: builds the block the session's last block
// request will be followed by, if its rows go on. `stop` is asked between
// rows; once it says a request is waiting, the rows read so far wait for
// that request and no block is built.
void BuildBlockAhead(Session& session, const std::function<bool()>& stop);

// The rows read from the backend that no reply has carried yet go first to
// whichever fetch comes; with `requests` they must have been read in the
// same C types. False, with a diagnostic on the call, when they were not.
bool WaitingRowsFit(Call& call, const std::vector<LnaFetchRequest>& requests);

// A block built ahead goes back to rows not yet sent, and the statistics
// to what the client has.
void UndoBlockAhead(ServerResult* r);

// The wire's view of a built block; it points into `block`.
LnaRowBlock BlockView(const BuiltBlock& block);

}  // namespace velsrv
