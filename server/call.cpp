#include "server/call.h"

#include "common/memory.h"
#include "wire/protocol.h"

namespace velsrv {

DiagStore& Call::Store() {
  return statement_ != nullptr ? statement_->diags : session_.diags();
}

bool Call::Parsed(bool ok) {
  return ok && MsgBufAllRead(in_) != 0;
}

int16_t Call::BadRequest() {
  return Fail("S1000",
              "The request of procedure " + std::to_string(procedure_) + " could not be read.");
}

int16_t Call::Fail(const char* sqlstate, const std::string& text) {
  Store().Add(ServerDiag(sqlstate, text));
  return kReplyFailed;
}

int16_t Call::FromBackend(BackendRc rc, const DiagList& diags) {
  Store().Add(diags);
  switch (rc) {
    case BackendRc::kSuccess:
      return kReplyOk;
    case BackendRc::kSuccessWithInfo:
      // The client reads diagnostics after status 1; make sure one is there.
      if (Store().empty()) Store().Add(ServerDiag("01000", "The data source returned a warning."));
      return kReplyInfo;
    case BackendRc::kNoData:
      return kReplyNoData;
    case BackendRc::kNeedData:
      return kReplyNeedData;
    case BackendRc::kError:
    default:
      if (Store().empty()) Store().Add(ServerDiag("S1000", "The data source reported an error."));
      return kReplyFailed;
  }
}

bool Call::CheckConnection(int32_t connection_id) {
  if (session_.login_state() != LoginState::kLoggedIn) {
    Fail("08003", "No connection is open on this session.");
    return false;
  }
  session_.diags().Clear();
  if (connection_id != session_.connection_id()) {
    Fail("08003", "The connection id is not this session's.");
    return false;
  }
  return true;
}

ServerStatement* Call::LookupStatement(int32_t statement_id) {
  ServerStatement* s = session_.login_state() == LoginState::kLoggedIn
                           ? session_.FindStatement(statement_id)
                           : nullptr;
  if (s == nullptr) {
    session_.diags().Clear();
    Fail(session_.login_state() == LoginState::kLoggedIn ? "S1000" : "08003",
         session_.login_state() == LoginState::kLoggedIn
             ? "The statement id is not this session's."
             : "No connection is open on this session.");
    return nullptr;
  }
  s->diags.Clear();
  statement_ = s;
  return s;
}

ServerStatement* Call::NamedStatement(int32_t statement_id) {
  if (in_->write_len < kMessageHeaderSize + sizeof(int32_t)) return nullptr;
  return LookupStatement(statement_id);
}

}  // namespace velsrv
