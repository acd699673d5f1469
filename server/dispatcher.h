// Answers one request message: checks the request header, runs the
// procedure's handler and writes the reply message (header and results).
#pragma once

#include "server/session.h"
#include "wire/msg_buf.h"

namespace velsrv {

enum class DispatchOutcome {
  kReply,  // `reply` holds the whole reply message; its length slot is 0
  kClose,  // the request cannot be answered: the connection is closed
};

// `request` holds one request message from its length slot on. A header that
// does not parse, or an unknown procedure, closes the connection; a request
// whose fields do not parse is answered with status -20 and a diagnostic.
DispatchOutcome Dispatch(Session& session, MsgBuf* request, MsgBuf* reply);

}  // namespace velsrv
