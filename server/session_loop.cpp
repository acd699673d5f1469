#include "server/session_loop.h"

#include "server/dispatcher.h"
#include "server/frame_io.h"

namespace velsrv {

void RunSession(const std::shared_ptr<Session>& session, int fd) {
  const ServerConfig& config = session->context().config();
  int timeout_ms = config.request_timeout_seconds * 1000;
  MsgBuf* request = MsgBufCreate();
  MsgBuf* reply = MsgBufCreate();
  if (request != nullptr && reply != nullptr && ExchangeGreeting(fd, timeout_ms)) {
    while (ReadRequestFrame(fd, config.max_request_bytes, timeout_ms, request) ==
           FrameResult::kOk) {
      if (Dispatch(*session, request, reply) != DispatchOutcome::kReply) break;
      if (!WriteReplyFrame(fd, reply)) break;
      if (session->stop_server_after_reply) session->context().RequestStop();
      if (session->end_after_reply) break;
      // A large request or reply is not kept for the rest of the session.
      if (request->capacity > (1u << 20)) {
        MsgBufFree(request);
        request = MsgBufCreate();
        if (request == nullptr) break;
      }
      if (reply->capacity > (1u << 20)) {
        MsgBufFree(reply);
        reply = MsgBufCreate();
        if (reply == nullptr) break;
      }
    }
  }
  MsgBufFree(request);
  MsgBufFree(reply);
  session->EndLogin();
}

}  // namespace velsrv
