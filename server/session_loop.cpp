#include "server/session_loop.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>

#include "server/dispatcher.h"
#include "server/frame_io.h"
#include "server/freed_memory.h"
#include "server/log.h"
#include "server/row_block_builder.h"

namespace velsrv {

namespace {

// The log line of a connection that the server ends for what it sent.
void LogFault(Session& session, FrameResult r, const char* what) {
  // A refused connection's refusal is in the log already.
  if (!session.refusal().empty()) return;
  if (r == FrameResult::kTimeout)
    Log(LogLevel::kWarning, "connection from " + session.peer_address() + " closed: " + what +
                                " not finished within the request timeout");
  else if (r == FrameResult::kBad)
    Log(LogLevel::kWarning, "connection from " + session.peer_address() + " closed: bad " + what);
  else if (r == FrameResult::kIdle)
    Log(LogLevel::kWarning,
        "connection from " + session.peer_address() + " closed: no login within the login timeout");
}

// What is left of the time until `t`, in milliseconds, at least 0.
int MsUntil(std::chrono::steady_clock::time_point t) {
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(t - std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT32_MAX));
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
  // Until it has logged in, a connection lives no longer than the login
  // timeout: one that says nothing holds no place for long.
  if (request != nullptr && reply != nullptr)
    r = ExchangeGreeting(fd, std::min(timeout_ms, MsUntil(session->login_deadline())));
  if (r != FrameResult::kOk) {
    LogFault(*session, r, "greeting");
  } else {
    FrameReader frames(fd);
    std::chrono::steady_clock::time_point login_deadline;
    auto bound = [&]() -> const std::chrono::steady_clock::time_point* {
      if (session->logged_in()) return nullptr;
      login_deadline = session->login_deadline();
      return &login_deadline;
    };
    while ((r = frames.Read(config.max_request_bytes, timeout_ms, request, bound())) ==
           FrameResult::kOk) {
      if (Dispatch(*session, request, reply) != DispatchOutcome::kReply) {
        if (session->refusal().empty())
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
  // Named by its login's connection id, as the login line names it.
  LoginState state = session->login_state();
  int32_t id = state == LoginState::kLoggedIn || state == LoginState::kLoggedOut
                   ? session->connection_id()
                   : 0;
  session->EndLogin();
  ReturnFreedMemory();
  Log(LogLevel::kInfo,
      (id != 0 ? "connection " + std::to_string(id) : std::string("connection without a login")) +
          " from " + session->peer_address() + " ended after " +
          Seconds(std::chrono::steady_clock::now() - started));
}

}  // namespace velsrv
