// One request being answered: the session, the request's remaining fields,
// the reply being written, and where its diagnostics go. Handlers read the
// request, act, and always write every result field of their procedure's
// reply, whatever the status.
#pragma once

#include <cstdint>
#include <string>

#include "server/backend.h"
#include "server/session.h"
#include "wire/msg_buf.h"
#include "wire/protocol.h"

namespace velsrv {

class Call {
 public:
  Call(Session& session, uint32_t procedure, MsgBuf* in, MsgBuf* out)
      : session_(session), procedure_(procedure), in_(in), out_(out) {}

  Session& session() { return session_; }
  uint32_t procedure() const { return procedure_; }
  MsgBuf* in() { return in_; }
  MsgBuf* out() { return out_; }

  // The request's statement, once `LookupStatement` found it.
  ServerStatement* statement() { return statement_; }
  // Diagnostics go to the statement the request named when it is one of
  // this session's, else to the session.
  DiagStore& Store();

  // True when `ok` and the request has no byte left over.
  bool Parsed(bool ok);
  // -20 with a diagnostic saying the request could not be read.
  int16_t BadRequest();
  // -20 with a diagnostic of the server.
  int16_t Fail(const char* sqlstate, const std::string& text);
  // The status for a backend result; its diagnostics are stored.
  int16_t FromBackend(BackendRc rc, const DiagList& diags);

  // A connection id must be this session's, with a login; clears the
  // session's diagnostics for the new call. False (and a diagnostic) else.
  bool CheckConnection(int32_t connection_id);
  // Finds one of this session's statements and clears its diagnostics for
  // the new call; null (and a diagnostic on the session) for any other id.
  ServerStatement* LookupStatement(int32_t statement_id);
  // The same for the statement a statement request names in its first
  // field; null, and nothing looked up, when the request is too short to
  // name one.
  ServerStatement* NamedStatement(int32_t statement_id);

  // Records a failure to write the reply; the connection is then closed.
  void Put(int ok) { write_ok_ = write_ok_ && ok != 0; }
  bool write_ok() const { return write_ok_; }

 private:
  Session& session_;
  uint32_t procedure_;
  MsgBuf* in_;
  MsgBuf* out_;
  ServerStatement* statement_ = nullptr;
  bool write_ok_ = true;
};

}  // namespace velsrv
