// One client connection: at most one login, its backend connection and
// statements, and the diagnostics waiting for the client. A session is
// driven by its own thread; other threads only cancel its running call,
// end it, or read its summary.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/backend.h"
#include "server/diag_store.h"
#include "server/memory_budget.h"
#include "server/option_policy.h"
#include "server/server_context.h"
#include "server/server_statement.h"
#include "server/type_table.h"
#include "wire/array_buffer.h"

namespace velsrv {

// What a client whose login was refused has, at least, to read the reason.
constexpr int kRefusalSeconds = 5;

enum class LoginState {
  kNone,    // no login yet
  kFailed,  // a login failed; its diagnostics wait for the client
  kLoggedIn,
  kLoggedOut  // disconnected; the connection carries no further login
};

// Who is on the other end, from the login's connection string.
struct ClientIdentity {
  std::string user;
  std::string host;
  std::string address;
  std::string program;
};

// What the administrative user list shows of a session.
struct SessionSummary {
  int32_t connection_id = 0;
  ClientIdentity client;
  std::string server_dsn;
  std::string uid;
  time_t login_time = 0;
  int statements = 0;
  uint32_t requests = 0;
  bool in_call = false;
};

class Session : public std::enable_shared_from_this<Session> {
 public:
  // `fd` is the connection's socket, or -1 for a session driven without one.
  // `peer_loopback` says whether the client connected from a loopback
  // address; `local_address` is the server's own address on the connection.
  Session(ServerContext& context, int fd, bool peer_loopback, std::string local_address);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  ServerContext& context() { return context_; }
  bool peer_loopback() const { return peer_loopback_; }
  const std::string& local_address() const { return local_address_; }
  // The client's address as the connection came from it (empty without one).
  // Set before the session's thread starts; a cancel for this session is
  // taken only from the same address.
  const std::string& peer_address() const { return peer_address_; }
  void set_peer_address(std::string address) { peer_address_ = std::move(address); }

  // When a connection that has not logged in by then is closed, and what
  // bounds the login's own waits (counted from the session's start).
  std::chrono::steady_clock::time_point login_deadline() const { return login_deadline_; }
  void set_login_deadline(std::chrono::steady_clock::time_point t) { login_deadline_ = t; }
  // Any thread: whether the session carries a login now.
  bool logged_in() const { return logged_in_.load(); }
  // Not empty for a connection the server refused: its login is answered
  // with this reason, which the client reads as the login's diagnostic, and
  // nothing else is served.
  const std::string& refusal() const { return refusal_; }
  void set_refusal(std::string reason) { refusal_ = std::move(reason); }
  // What the session's statements hold, within the server's bounds.
  MemoryAccount& memory() { return memory_; }

  LoginState login_state() const { return login_state_; }
  int32_t connection_id() const { return connection_id_; }
  uint16_t cancel_key() const { return cancel_key_; }
  DiagStore& diags() { return diags_; }
  const std::string& server_dsn() const { return server_dsn_; }
  BackendConnection* backend() { return backend_.get(); }
  const TypeTable& types() const { return types_; }
  const std::vector<std::string>& table_types() const { return table_types_; }
  const std::array<uint16_t, 100>& backend_functions() const { return backend_functions_; }
  uint32_t (&statement_defaults())[kStmtOptionCount] { return statement_defaults_; }
  // The client's array fetch buffer, in bytes: row blocks stay within it.
  uint32_t array_buffer_size() const { return array_buffer_size_; }
  void set_array_buffer_size(uint32_t bytes) { array_buffer_size_ = bytes; }

  // Takes a connection id and cancel key from the registry: from now on
  // procedure 12 and the disconnect can name this session.
  void BeginLogin();
  // The client gets at least kRefusalSeconds more to read why, however
  // long the login took.
  void LoginFailed();
  void LoginSucceeded(std::unique_ptr<BackendConnection> backend, const std::string& server_dsn,
                      const std::string& uid, const ClientIdentity& client, TypeTable types,
                      std::vector<std::string> table_types,
                      const std::array<uint16_t, 100>& backend_functions);
  // Frees the statements, rolls back what the login left open and closes
  // the backend connection. The session takes no further login.
  void EndLogin();

  // Statements of this session only: another session's id is unknown here.
  ServerStatement* FindStatement(int32_t id);
  // Null when the session's statement limit is reached.
  ServerStatement* AddStatement(std::unique_ptr<BackendStatement> backend);
  void DropStatement(int32_t id);
  std::map<int32_t, std::unique_ptr<ServerStatement>>& statements() { return statements_; }

  // Marks a backend call of `statement` as running, so that a cancel from
  // another connection can reach it.
  class ActiveCall {
   public:
    ActiveCall(Session& session, BackendStatement* statement);
    ~ActiveCall();
    ActiveCall(const ActiveCall&) = delete;
    ActiveCall& operator=(const ActiveCall&) = delete;

   private:
    Session& session_;
  };
  // Any thread: cancels the running backend call, if there is one.
  void CancelActiveCall();
  // Any thread: cancels the running call and shuts the connection down; the
  // session's thread then ends the session.
  void Kill();
  // The session's thread, when it ends: closes the socket.
  void CloseSocket();

  void CountRequest() { ++requests_; }
  SessionSummary Summary();

  // Set by procedures whose effect must wait until their reply is out.
  bool stop_server_after_reply = false;
  bool end_after_reply = false;
  // The statement whose next row block may be built once the reply is out.
  int32_t block_ahead_statement = 0;

 private:
  ServerContext& context_;
  std::mutex fd_mutex_;
  int fd_;
  bool peer_loopback_;
  std::string local_address_;
  std::string peer_address_;
  std::chrono::steady_clock::time_point login_deadline_;
  std::atomic<bool> logged_in_{false};
  std::string refusal_;
  // Before the statements: they give back to it when they go.
  MemoryAccount memory_;

  LoginState login_state_ = LoginState::kNone;
  int32_t connection_id_ = 0;
  uint16_t cancel_key_ = 0;
  DiagStore diags_;
  std::string server_dsn_;
  std::unique_ptr<BackendConnection> backend_;
  TypeTable types_;
  std::vector<std::string> table_types_;
  std::array<uint16_t, 100> backend_functions_{};
  uint32_t statement_defaults_[kStmtOptionCount] = {};
  uint32_t array_buffer_size_ = kDefaultArrayBuffer;
  std::map<int32_t, std::unique_ptr<ServerStatement>> statements_;

  std::mutex call_mutex_;
  BackendStatement* active_ = nullptr;

  std::mutex summary_mutex_;
  SessionSummary summary_;
  std::atomic<uint32_t> requests_{0};
  std::atomic<int> statement_count_{0};
};

}  // namespace velsrv
