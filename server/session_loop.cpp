#include "server/session_loop.h"

#include <chrono>
#include <cstdio>

#include "server/dispatcher.h"
#include "server/frame_io.h"
#include "server/log.h"

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

// "12.3 s": how long a connection lasted.
std::string Seconds(std::chrono::steady_clock::duration lasted) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(lasted).count());
  return text;
}

}  // namespace

void RunSession(const std::shared_ptr<Session>& session, int fd) {
  const auto started = std::chrono::steady_clock::now();
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
  // Named by its login's connection id, as the login line names it.
  LoginState state = session->login_state();
  int32_t id = state == LoginState::kLoggedIn || state == LoginState::kLoggedOut
                   ? session->connection_id()
                   : 0;
  session->EndLogin();
  Log(LogLevel::kInfo,
      (id != 0 ? "connection " + std::to_string(id) : std::string("connection without a login")) +
          " from " + session->peer_address() + " ended after " +
          Seconds(std::chrono::steady_clock::now() - started));
}

}  // namespace velsrv
