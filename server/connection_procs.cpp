// Procedures on the connection: statements, diagnostics, options,
// information, transactions and the disconnect.
#include <sql.h>

#include <algorithm>

#include "server/info_table.h"
#include "server/option_policy.h"
#include "server/procedures.h"
#include "server/value_convert.h"
#include "wire/calls.h"
#include "wire/diag_record.h"
#include "wire/option_calls.h"

namespace velsrv {

namespace {

// Applies a statement option given for the whole connection to the
// defaults of new statements and to every statement of the session.
int16_t SetStatementOptionOnConnection(Call& call, uint16_t option, uint32_t value,
                                       const OptionRule& rule) {
  Session& s = call.session();
  int16_t status = kReplyOk;
  if (rule.action == OptionAction::kForward) {
    DiagList diags;
    OptionValue v;
    v.number = value;
    status = call.FromBackend(s.backend()->SetOption(option, v, &diags), diags);
    if (status == kReplyFailed) return status;
  } else if (rule.forced && value != rule.value) {
    call.Store().Add(ServerDiag("01S02", "Option value changed."));
    value = rule.value;
    status = kReplyInfo;
  }
  s.statement_defaults()[option] = value;
  for (auto& [id, statement] : s.statements()) statement->options[option] = value;
  return status;
}

}  // namespace

int16_t AllocStmtProc(Call& call) {
  AllocStmtRequest request;
  AllocStmtReply reply;
  int16_t status;
  if (!call.Parsed(Decode(call.in(), &request))) {
    status = call.BadRequest();
  } else if (!call.CheckConnection(request.connection)) {
    status = kReplyFailed;
  } else if (static_cast<int>(call.session().statements().size()) >=
             call.session().context().config().max_statements) {
    status = call.Fail("S1014", "No more statements can be allocated on this connection.");
  } else {
    std::unique_ptr<BackendStatement> backend;
    DiagList diags;
    status = call.FromBackend(call.session().backend()->AllocStatement(&backend, &diags), diags);
    if (status != kReplyFailed)
      reply.statement = call.session().AddStatement(std::move(backend))->id;
  }
  call.Put(Encode(call.out(), reply));
  return status;
}

int16_t DisconnectProc(Call& call) {
  DisconnectRequest request;
  if (!call.Parsed(Decode(call.in(), &request))) return call.BadRequest();
  Session& s = call.session();
  bool ours = request.connection == s.connection_id() &&
              (s.login_state() == LoginState::kLoggedIn || s.login_state() == LoginState::kFailed);
  if (!ours) return call.Fail("08003", "The connection id is not this session's.");
  s.diags().Clear();
  s.EndLogin();
  return kReplyOk;
}

int16_t GetErrorsProc(Call& call) {
  GetErrorsRequest request;
  Session& s = call.session();
  std::vector<LnaDiagRecord> records;
  int16_t status = kReplyOk;
  if (!call.Parsed(Decode(call.in(), &request))) {
    // Nothing is stored: the client reads diagnostics once, with this call.
    status = kReplyFailed;
  } else if (request.statement != 0) {
    ServerStatement* statement =
        s.login_state() == LoginState::kLoggedIn ? s.FindStatement(request.statement) : nullptr;
    // A statement this session does not know was refused with a diagnostic
    // on the session, which is handed out in its place.
    records = statement != nullptr ? statement->diags.Take() : s.diags().Take();
  } else if (request.connection != 0 && request.connection == s.connection_id()) {
    records = s.diags().Take();
  } else if (!s.refusal().empty()) {
    // A refused connection's reason, asked for without a connection id;
    // nothing further is served on it.
    records = s.diags().Take();
    s.end_after_reply = true;
  } else {
    status = kReplyFailed;
  }
  auto count = static_cast<uint16_t>(records.size());
  call.Put(Encode(call.out(), GetErrorsReply{std::move(records), count}));
  return status;
}

int16_t GetConnectOptionProc(Call& call) {
  GetOptionRequest request;
  int16_t status;
  OptionValue value;
  bool have_value = false;
  if (!call.Parsed(Decode(call.in(), &request))) {
    status = call.BadRequest();
  } else if (!call.CheckConnection(request.handle)) {
    status = kReplyFailed;
  } else {
    OptionRule rule = GetConnectionOptionRule(request.option);
    if (rule.action != OptionAction::kForward) {
      status = call.Fail("S1092", "Option type out of range.");
    } else {
      DiagList diags;
      status = call.FromBackend(
          call.session().backend()->GetOption(request.option, rule.text, &value, &diags), diags);
      have_value = status == kReplyOk || status == kReplyInfo;
    }
  }
  LnaTypedValue v = value.is_text ? TextValue(value.text) : LongValue(value.number);
  GetOptionReply reply;
  if (have_value) reply.value = WireValue::Refer(v);
  call.Put(Encode(call.out(), reply));
  return status;
}

int16_t GetInfoProc(Call& call) {
  GetInfoRequest request;
  int16_t status;
  InfoValue value;
  bool have_value = false;
  InfoKind kind = kInfoNone;
  if (!call.Parsed(Decode(call.in(), &request))) {
    status = call.BadRequest();
  } else if (!call.CheckConnection(request.connection)) {
    status = kReplyFailed;
  } else {
    kind = InfoKindOf(request.info_type);
    InfoContext context{call.session().server_dsn(),
                        call.session().context().config().max_statements};
    if (!AnnouncedInfo(*call.session().backend(), request.info_type, context, &value)) {
      status = call.Fail("S1096", "Information type out of range.");
    } else {
      have_value = true;
      status = kReplyOk;
    }
  }
  // The whole value goes back; the client cuts a text to its buffer.
  LnaTypedValue v = kind == kInfoText    ? TextValue(value.text)
                    : kind == kInfoShort ? ShortValue(static_cast<uint16_t>(value.number))
                                         : LongValue(value.number);
  GetInfoReply reply;
  if (have_value) {
    reply.value = WireValue::Refer(v);
    reply.full_length = kind == kInfoText ? v.length : kind == kInfoShort ? 2 : 4;
  }
  call.Put(Encode(call.out(), reply));
  return status;
}

int16_t SetConnectOptionProc(Call& call) {
  SetOptionRequest request;
  if (!call.Parsed(Decode(call.in(), &request))) return call.BadRequest();
  if (!call.CheckConnection(request.handle)) return kReplyFailed;
  uint16_t option = request.option;
  OptionRule rule = SetConnectionOptionRule(option);
  OptionValue v;
  switch (rule.action) {
    case OptionAction::kRefuse:
      return call.Fail("S1092", "Option type out of range.");
    case OptionAction::kNotCapable:
      return call.Fail("S1C00", "Driver not capable.");
    case OptionAction::kIgnore:
      return kReplyOk;
    case OptionAction::kForward:
    case OptionAction::kKeep:
      break;
  }
  if (!ToOptionValue(request.value.get(), rule.text, &v))
    return call.Fail("S1009", "Invalid argument value.");
  if (IsStatementOption(option))
    return SetStatementOptionOnConnection(call, option, v.number, rule);
  DiagList diags;
  return call.FromBackend(call.session().backend()->SetOption(option, v, &diags), diags);
}

int16_t TransactProc(Call& call) {
  TransactRequest request;
  if (!call.Parsed(Decode(call.in(), &request))) return call.BadRequest();
  if (!call.CheckConnection(request.connection)) return kReplyFailed;
  if (request.type != SQL_COMMIT && request.type != SQL_ROLLBACK)
    return call.Fail("S1012", "Invalid transaction operation code.");
  DiagList diags;
  return call.FromBackend(call.session().backend()->Transact(request.type, &diags), diags);
}

}  // namespace velsrv
