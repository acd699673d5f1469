#include "server/session.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace velsrv {

Session::Session(ServerContext& context, int fd, bool peer_loopback, std::string local_address)
    : context_(context),
      fd_(fd),
      peer_loopback_(peer_loopback),
      local_address_(std::move(local_address)),
      login_deadline_(std::chrono::steady_clock::now() +
                      std::chrono::seconds(context.config().login_timeout_seconds)),
      memory_(context.memory()) {
  DefaultStatementOptions(statement_defaults_);
}

Session::~Session() {
  EndLogin();
  CloseSocket();
}

void Session::BeginLogin() {
  context_.registry().Register(shared_from_this(), &connection_id_, &cancel_key_);
  std::lock_guard<std::mutex> lock(summary_mutex_);
  summary_.connection_id = connection_id_;
}

void Session::LoginFailed() {
  login_state_ = LoginState::kFailed;
  login_deadline_ = std::max(
      login_deadline_, std::chrono::steady_clock::now() + std::chrono::seconds(kRefusalSeconds));
}

void Session::LoginSucceeded(std::unique_ptr<BackendConnection> backend,
                             const std::string& server_dsn, const std::string& uid,
                             const ClientIdentity& client, TypeTable types,
                             std::vector<std::string> table_types,
                             const std::array<uint16_t, 100>& backend_functions) {
  backend_ = std::move(backend);
  types_ = std::move(types);
  table_types_ = std::move(table_types);
  backend_functions_ = backend_functions;
  server_dsn_ = server_dsn;
  login_state_ = LoginState::kLoggedIn;
  logged_in_ = true;
  std::lock_guard<std::mutex> lock(summary_mutex_);
  summary_.client = client;
  summary_.server_dsn = server_dsn;
  summary_.uid = uid;
  summary_.login_time = time(nullptr);
}

void Session::EndLogin() {
  if (login_state_ == LoginState::kNone) return;
  statements_.clear();
  statement_count_ = 0;
  if (backend_) {
    // With autocommit on this is a no-op; otherwise it drops what the
    // client left uncommitted, as its disconnect or loss should.
    DiagList ignored;
    backend_->Transact(1, &ignored);
    backend_.reset();
  }
  if (connection_id_ != 0) context_.registry().Unregister(connection_id_);
  login_state_ = LoginState::kLoggedOut;
  logged_in_ = false;
  // Without its login the connection is of no further use: it gets the
  // time a new one would have before it is closed.
  login_deadline_ = std::chrono::steady_clock::now() +
                    std::chrono::seconds(context_.config().login_timeout_seconds);
}

ServerStatement* Session::FindStatement(int32_t id) {
  auto it = statements_.find(id);
  return it == statements_.end() ? nullptr : it->second.get();
}

ServerStatement* Session::AddStatement(std::unique_ptr<BackendStatement> backend) {
  if (static_cast<int>(statements_.size()) >= context_.config().max_statements) return nullptr;
  int32_t id;
  do {
    id = context_.NextStatementId();
  } while (statements_.count(id) != 0);
  auto statement = std::make_unique<ServerStatement>();
  statement->id = id;
  statement->backend = std::move(backend);
  statement->param_memory.set_account(&memory_);
  statement->result_memory.set_account(&memory_);
  for (uint16_t i = 0; i < kStmtOptionCount; ++i) statement->options[i] = statement_defaults_[i];
  ServerStatement* raw = statement.get();
  statements_[id] = std::move(statement);
  statement_count_ = static_cast<int>(statements_.size());
  return raw;
}

void Session::DropStatement(int32_t id) {
  statements_.erase(id);
  statement_count_ = static_cast<int>(statements_.size());
}

Session::ActiveCall::ActiveCall(Session& session, BackendStatement* statement) : session_(session) {
  std::lock_guard<std::mutex> lock(session_.call_mutex_);
  session_.active_ = statement;
}

Session::ActiveCall::~ActiveCall() {
  std::lock_guard<std::mutex> lock(session_.call_mutex_);
  session_.active_ = nullptr;
}

void Session::CancelActiveCall() {
  // Held across the cancel: the statement cannot be freed before the call
  // that uses it has returned and cleared `active_`.
  std::lock_guard<std::mutex> lock(call_mutex_);
  if (active_ != nullptr) {
    DiagList ignored;
    active_->Cancel(&ignored);
  }
}

void Session::Kill() {
  CancelActiveCall();
  std::lock_guard<std::mutex> lock(fd_mutex_);
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

void Session::CloseSocket() {
  std::lock_guard<std::mutex> lock(fd_mutex_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

SessionSummary Session::Summary() {
  SessionSummary s;
  {
    std::lock_guard<std::mutex> lock(summary_mutex_);
    s = summary_;
  }
  s.statements = statement_count_.load();
  s.requests = requests_.load();
  {
    std::lock_guard<std::mutex> lock(call_mutex_);
    s.in_call = active_ != nullptr;
  }
  return s;
}

}  // namespace velsrv
