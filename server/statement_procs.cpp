// Procedures on one statement: cancel, release, cursor name and options.
#include <sql.h>

#include "server/option_policy.h"
#include "server/procedures.h"
#include "server/value_convert.h"
#include "wire/calls.h"
#include "wire/option_calls.h"

namespace velsrv {

int16_t CancelProc(Call& call) {
  CancelRequest request;
  bool ok = Decode(call.in(), &request);
  ServerStatement* s = call.NamedStatement(request.statement);
  if (!call.Parsed(ok)) return call.BadRequest();
  if (s == nullptr) return kReplyFailed;
  // Nothing of this statement runs now: every call runs to its end before
  // its reply. Cancelling then closes the statement's cursor and ends a
  // data-at-execution sequence.
  s->ResetResult();
  s->awaiting_data = false;
  s->current_piece_param = -1;
  DiagList diags;
  return call.FromBackend(s->backend->Cancel(&diags), diags);
}

int16_t FreeStmtProc(Call& call) {
  FreeStmtRequest request;
  bool ok = Decode(call.in(), &request);
  ServerStatement* s = call.NamedStatement(request.statement);
  if (!call.Parsed(ok)) return call.BadRequest();
  if (s == nullptr) return kReplyFailed;
  const uint16_t option = request.option;
  switch (option) {
    case SQL_DROP:
      call.session().DropStatement(request.statement);
      return kReplyOk;
    case SQL_CLOSE:
    case SQL_UNBIND:
    case SQL_RESET_PARAMS: {
      if (option == SQL_CLOSE) {
        s->ResetResult();
        s->awaiting_data = false;
        s->current_piece_param = -1;
      }
      if (option == SQL_RESET_PARAMS) s->DropParams();
      DiagList diags;
      return call.FromBackend(s->backend->Free(option, &diags), diags);
    }
    default:
      return call.Fail("S1092", "Option type out of range.");
  }
}

int16_t GetStmtOptionProc(Call& call) {
  GetOptionRequest request;
  uint32_t value = 0;
  bool have_value = false;
  int16_t status;
  bool ok = Decode(call.in(), &request);
  ServerStatement* s = call.NamedStatement(request.handle);
  if (!call.Parsed(ok)) {
    status = call.BadRequest();
  } else if (s == nullptr) {
    status = kReplyFailed;
  } else {
    OptionRule rule = GetStatementOptionRule(request.option);
    if (rule.action == OptionAction::kKeep) {
      value = s->options[request.option];
      status = kReplyOk;
    } else if (rule.action == OptionAction::kForward) {
      DiagList diags;
      status = call.FromBackend(s->backend->GetOption(request.option, &value, &diags), diags);
    } else {
      status = call.Fail("S1092", "Option type out of range.");
    }
    have_value = status == kReplyOk || status == kReplyInfo;
  }
  GetOptionReply reply;
  if (have_value) reply.value = WireValue::Refer(LongValue(value));
  call.Put(Encode(call.out(), reply));
  return status;
}

int16_t SetCursorNameProc(Call& call) {
  SetCursorNameRequest request;
  bool ok = Decode(call.in(), &request);
  ServerStatement* s = call.NamedStatement(request.statement);
  if (!call.Parsed(ok)) return call.BadRequest();
  const NullableText& name = request.name;
  if (s == nullptr) return kReplyFailed;
  if (!name) return call.Fail("S1009", "Invalid argument value.");
  if (call.session().backend_functions()[SQL_API_SQLSETCURSORNAME] == 0) {
    // Cursors are read-only, so the name has no use at the backend; keep it.
    s->cursor_name = *name;
    return kReplyOk;
  }
  DiagList diags;
  int16_t status = call.FromBackend(s->backend->SetCursorName(*name, &diags), diags);
  if (status != kReplyFailed) s->cursor_name = *name;
  return status;
}

int16_t SetStmtOptionProc(Call& call) {
  SetOptionRequest request;
  bool ok = Decode(call.in(), &request);
  ServerStatement* s = call.NamedStatement(request.handle);
  if (!call.Parsed(ok)) return call.BadRequest();
  if (s == nullptr) return kReplyFailed;
  uint16_t option = request.option;
  OptionRule rule = SetStatementOptionRule(option);
  if (rule.action == OptionAction::kRefuse) return call.Fail("S1092", "Option type out of range.");
  if (rule.action == OptionAction::kNotCapable) return call.Fail("S1C00", "Driver not capable.");
  OptionValue v;
  if (!ToOptionValue(request.value.get(), false, &v))
    return call.Fail("S1009", "Invalid argument value.");
  if (rule.action == OptionAction::kForward) {
    DiagList diags;
    int16_t status = call.FromBackend(s->backend->SetOption(option, v.number, &diags), diags);
    if (status != kReplyFailed) s->options[option] = v.number;
    return status;
  }
  if (rule.forced && v.number != rule.value) {
    s->options[option] = rule.value;
    call.Store().Add(ServerDiag("01S02", "Option value changed."));
    return kReplyInfo;
  }
  s->options[option] = v.number;
  return kReplyOk;
}

}  // namespace velsrv
