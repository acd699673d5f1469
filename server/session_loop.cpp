#include "server/session_loop.h"

#include "server/dispatcher.h"
#include "server/frame_io.h"
#include "server/freed_memory.h"
#include "server/log.h"
#include "server/row_block_builder.h"

namespace velsrv {

namespace {

// The log line of a connection that the server ends for what it sent.
void LogFault(Session& session, FrameResult r, const char* what) {
  if (r == FrameResult::kTimeout)
    Log(LogLevel::kWarning, "connection from " + session.peer_address() + " closed: " + what +
                                " not finished within the request timeout");
  else if (r == FrameResult::kBad)
    Log(LogLevel::kWarning, "connection from " + session.peer_address() + " closed: bad " + what);
}

}  // namespace

void RunSession(const std::shared_ptr<Session>& session, int fd) {
  const ServerConfig& config = session->context().config();
  int timeout_ms = config.request_timeout_seconds * 1000;
  MsgBuf* request = MsgBufCreate();
  MsgBuf* reply = MsgBufCreate();
  FrameResult r = FrameResult::kClosed;
  if (request != nullptr && reply != nullptr) r = ExchangeGreeting(fd, timeout_ms);
  if (r != FrameResult::kOk) {
    LogFault(*session, r, "greeting");
  } else {
    FrameReader frames(fd);
    while ((r = frames.Read(config.max_request_bytes, timeout_ms, request)) == FrameResult::kOk) {
      if (Dispatch(*session, request, reply) != DispatchOutcome::kReply) {
        Log(LogLevel::kWarning,
            "connection from " + session->peer_address() + " closed: bad request");
        break;
      }
      if (!WriteReplyFrame(fd, reply)) break;
      if (session->stop_server_after_reply) session->context().RequestStop();
      if (session->end_after_reply) break;
      // While the client decodes a block the next one is built, until its
      // next request comes.
      BuildBlockAhead(*session, [&frames] { return frames.InputWaiting(); });
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
    LogFault(*session, r, "frame");
  }
  MsgBufFree(request);
  MsgBufFree(reply);
  session->EndLogin();
  ReturnFreedMemory();
  Log(LogLevel::kDebug, "connection from " + session->peer_address() + " ended");
}

}  // namespace velsrv
