// Prepare (25), execution (14, 50), direct execution (13, 49) and the
// data-at-execution procedures (24, 32). Data-at-execution values are
// gathered on the server, piece by piece, and bound as whole values when the
// last procedure 24 runs the statement.
#include <algorithm>
#include <climits>
#include <optional>

#include "server/column_describe.h"
#include "server/fetch_shape.h"
#include "server/param_markers.h"
#include "server/procedures.h"
#include "server/row_block_builder.h"
#include "server/statement_params.h"
#include "wire/array_buffer.h"
#include "wire/calls.h"
#include "wire/column_desc.h"
#include "wire/descriptor.h"
#include "wire/protocol.h"
#include "wire/statement_calls.h"

namespace velsrv {

namespace {

// What a backend that cannot describe its parameters gets announced as.
constexpr LnaParamDesc kUndescribedParam{12, 255, 0, 2};  // SQL_VARCHAR, nullability unknown

// The request's bindings as the statement's parameters; a refusal leaves it
// none and gives the status of the error it posted.
std::optional<int16_t> TakeParams(Call& call, ServerStatement* s, const LnaDescList& inputs,
                                  const LnaDescList& outputs) {
  const char* sqlstate = nullptr;
  std::string error;
  if (BuildParams(inputs, outputs, &s->params, &sqlstate, &error)) {
    MemoryRefusal refusal = s->param_memory.Resize(HeldParamBytes(s->params));
    if (refusal == MemoryRefusal::kNone) return std::nullopt;
    sqlstate = "S1001";
    error = call.session().memory().RefusalText(refusal);
  }
  s->DropParams();
  return call.Fail(sqlstate, error);
}

std::vector<LnaColumnDesc> DescribeColumns(Session& session, BackendStatement& backend,
                                           BackendRc* rc, DiagList* diags) {
  std::vector<ColumnInfo> described;
  std::vector<LnaColumnDesc> columns;
  *rc = backend.DescribeResult(&described, diags);
  if (Succeeded(*rc)) {
    for (const ColumnInfo& c : described) columns.push_back(DescribeColumn(c, session.types()));
  }
  return columns;
}

// One description per parameter marker. When the backend cannot describe
// them, the count still comes from the text.
std::vector<LnaParamDesc> DescribeParams(Session& session, BackendStatement& backend,
                                         const std::string* sql) {
  DiagList ignored;
  int16_t count = 0;
  if (!Succeeded(backend.NumParams(&count, &ignored)) || count < 0)
    count = sql != nullptr
                ? static_cast<int16_t>(std::min<uint16_t>(CountParamMarkers(*sql), 32767))
                : 0;
  std::vector<LnaParamDesc> out;
  for (uint16_t i = 1; i <= static_cast<uint16_t>(count); ++i) {
    ParamInfo info;
    if (!Succeeded(backend.DescribeParam(i, &info, &ignored))) {
      LnaParamDesc d = kUndescribedParam;
      d.precision = session.types().ParamSize(d.sql_type, d.precision);
      out.push_back(d);
      continue;
    }
    int32_t precision = static_cast<int32_t>(std::min<uint32_t>(info.precision, INT32_MAX));
    LnaParamDesc d{};
    d.sql_type = session.types().Map(info.sql_type, &precision);
    d.precision = session.types().ParamSize(d.sql_type, precision);
    d.scale = info.scale;
    d.nullable =
        static_cast<uint16_t>(info.nullable >= 0 && info.nullable <= 2 ? info.nullable : 2);
    out.push_back(d);
  }
  return out;
}

// The reply's view of what the handler gathered.
StatementShape ShapeOf(const std::vector<LnaColumnDesc>& columns,
                       const std::vector<LnaParamDesc>& params) {
  return StatementShape{
      const_cast<LnaColumnDesc*>(columns.data()), static_cast<uint16_t>(columns.size()),
      const_cast<LnaParamDesc*>(params.data()), static_cast<uint16_t>(params.size())};
}

// The returned values as one list, empty when there are none.
LnaDescList ListOf(const std::vector<LnaDescriptor>& values) {
  return LnaDescList{static_cast<uint16_t>(values.size()),
                     const_cast<LnaDescriptor*>(values.data())};
}

int32_t ClampRowCount(int64_t n) {
  return static_cast<int32_t>(std::clamp<int64_t>(n, -1, INT32_MAX));
}

bool HasAtExec(const std::vector<ServerParam>& params) {
  return std::any_of(params.begin(), params.end(), [](const ServerParam& p) { return p.at_exec; });
}

// Drops what the statement's last execution left: its result set, its
// cursor at the backend and an unfinished data-at-execution sequence.
void StartOver(ServerStatement& s) {
  s.ResetResult();
  s.awaiting_data = false;
  s.current_piece_param = -1;
  s.gathered_bytes = 0;
  DiagList ignored;
  s.backend->Free(0, &ignored);  // SQL_CLOSE
}

// Binds the parameters and runs the statement: `sql`, or the prepared one
// when null. Opens the result set it yields and reports its row count.
int16_t Run(Call& call, const std::string* sql, int32_t* row_count) {
  ServerStatement& s = *call.statement();
  DiagList diags;
  BackendRc rc;
  {
    Session::ActiveCall active(call.session(), s.backend.get());
    rc = BindParams(*s.backend, s.params, &diags);
    if (Succeeded(rc)) {
      BackendRc run =
          sql != nullptr ? s.backend->ExecDirect(*sql, &diags) : s.backend->Execute(&diags);
      // A searched change that meets no row is no failure.
      if (run == BackendRc::kNoData) run = BackendRc::kSuccess;
      rc = Worse(rc, run);
    }
  }
  if (!Succeeded(rc)) return call.FromBackend(rc, diags);
  BackendRc drc;
  std::vector<LnaColumnDesc> columns = DescribeColumns(call.session(), *s.backend, &drc, &diags);
  rc = Worse(rc, drc);
  if (!columns.empty()) s.OpenResult(std::move(columns));
  int64_t count = -1;
  DiagList ignored;
  if (Succeeded(s.backend->RowCount(&count, &ignored))) *row_count = ClampRowCount(count);
  return call.FromBackend(rc, diags);
}

bool FitsBlock(const std::vector<LnaColumnDesc>& columns, uint32_t buffer_size,
               std::vector<LnaFetchRequest>* requests) {
  requests->clear();
  for (const LnaColumnDesc& c : columns) {
    LnaFetchRequest r = ClientFetchShape(c);
    if (r.long_column != 0 || !FitsArrayBuffer(r.length, buffer_size)) return false;
    requests->push_back(r);
  }
  return !requests->empty();
}

// The row block that goes with an array execution. Rows go only when the
// client will take them from it: the execution succeeded without
// information (status 1 makes the client ask for a new block) and every
// column fits the block road.
void FirstBlock(Call& call, int16_t status, BuiltBlock* block) {
  *block = BuiltBlock{};
  ServerStatement* s = call.statement();
  if (s == nullptr || s->result.columns.empty()) {
    block->status = kReplyNoData;
    return;
  }
  // The client shapes its requests from the description it was given.
  const std::vector<LnaColumnDesc>& shape =
      call.procedure() == kRpcExecuteArray && s->prepared_columns.size() == s->result.columns.size()
          ? s->prepared_columns
          : s->result.columns;
  std::vector<LnaFetchRequest> requests;
  if (status != kReplyOk || !FitsBlock(shape, call.session().array_buffer_size(), &requests))
    return;
  // The execution's status stands; what the rows add waits in the
  // statement's diagnostics, and a failure is the block's own status.
  NextRowBlock(call, requests, block);
}

}  // namespace

int16_t PrepareProc(Call& call) {
  PrepareRequest request;
  std::vector<LnaColumnDesc> columns;
  std::vector<LnaParamDesc> params;
  int16_t status;
  bool ok = Decode(call.in(), &request);
  ServerStatement* s = call.NamedStatement(request.statement);
  const NullableText& sql = request.sql;
  if (!call.Parsed(ok)) {
    status = call.BadRequest();
  } else if (s == nullptr) {
    status = kReplyFailed;
  } else if (!sql) {
    status = call.Fail("S1009", "Invalid argument value.");
  } else {
    StartOver(*s);
    s->prepared = false;
    s->prepared_columns.clear();
    s->DropParams();
    DiagList diags;
    BackendRc rc;
    {
      Session::ActiveCall active(call.session(), s->backend.get());
      rc = s->backend->Prepare(*sql, &diags);
    }
    if (Succeeded(rc)) {
      s->prepared = true;
      BackendRc drc;
      columns = DescribeColumns(call.session(), *s->backend, &drc, &diags);
      rc = Worse(rc, drc);
      params = DescribeParams(call.session(), *s->backend, &*sql);
      s->prepared_columns = columns;
    }
    status = call.FromBackend(rc, diags);
  }
  call.Put(Encode(call.out(), ShapeOf(columns, params)));
  return status;
}

int16_t ExecDirectProc(Call& call) {
  DecodedRecord<ExecDirectRequest> request;
  std::vector<LnaColumnDesc> columns;
  std::vector<LnaParamDesc> params;
  std::vector<LnaDescriptor> returned;
  int32_t row_count = -1;
  BuiltBlock block;
  block.status = kReplyNoData;
  int16_t status;
  bool ok = Decode(call.in(), &request.record);
  ServerStatement* s = call.NamedStatement(request.record.statement);
  const NullableText& sql = request.record.sql;
  if (!call.Parsed(ok)) {
    status = call.BadRequest();
  } else if (s == nullptr) {
    status = kReplyFailed;
  } else if (!sql) {
    status = call.Fail("S1009", "Invalid argument value.");
  } else {
    StartOver(*s);
    s->prepared = false;
    s->prepared_columns.clear();
    if (std::optional<int16_t> refused =
            TakeParams(call, s, request.record.params, request.record.bound_columns)) {
      status = *refused;
    } else if (HasAtExec(s->params)) {
      // The values follow: prepare now, run at the last procedure 24.
      DiagList diags;
      BackendRc rc;
      {
        Session::ActiveCall active(call.session(), s->backend.get());
        rc = s->backend->Prepare(*sql, &diags);
      }
      if (Succeeded(rc)) {
        s->prepared = true;
        s->awaiting_data = true;
        BackendRc drc;
        columns = DescribeColumns(call.session(), *s->backend, &drc, &diags);
        params = DescribeParams(call.session(), *s->backend, &*sql);
        status = call.FromBackend(drc, diags);
        if (status != kReplyFailed) status = kReplyNeedData;
      } else {
        status = call.FromBackend(rc, diags);
      }
    } else {
      status = Run(call, &*sql, &row_count);
      if (status != kReplyFailed) {
        columns = s->result.columns;
        params = DescribeParams(call.session(), *s->backend, &*sql);
        returned = ReturnedValues(s->params);
        if (call.procedure() == kRpcExecDirectArray) FirstBlock(call, status, &block);
      }
    }
  }
  call.Put(Encode(call.out(), ExecDirectReply{ShapeOf(columns, params),
                                              {call.procedure(), ListOf(returned), row_count,
                                               BlockView(block)}}));
  return status;
}

int16_t ExecuteProc(Call& call) {
  DecodedRecord<ExecuteRequest> request;
  std::vector<LnaDescriptor> returned;
  int32_t row_count = -1;
  BuiltBlock block;
  block.status = kReplyNoData;
  int16_t status;
  bool ok = Decode(call.in(), &request.record);
  ServerStatement* s = call.NamedStatement(request.record.statement);
  if (!call.Parsed(ok)) {
    status = call.BadRequest();
  } else if (s == nullptr) {
    status = kReplyFailed;
  } else if (!s->prepared) {
    status = call.Fail("S1010", "Function sequence error: no statement is prepared.");
  } else {
    StartOver(*s);
    if (std::optional<int16_t> refused =
            TakeParams(call, s, request.record.params, request.record.bound_columns)) {
      status = *refused;
    } else if (HasAtExec(s->params)) {
      s->awaiting_data = true;
      status = kReplyNeedData;
    } else {
      status = Run(call, nullptr, &row_count);
      if (status != kReplyFailed) {
        returned = ReturnedValues(s->params);
        if (call.procedure() == kRpcExecuteArray) FirstBlock(call, status, &block);
      }
    }
  }
  call.Put(Encode(call.out(),
                  ExecuteReply{call.procedure(), ListOf(returned), row_count, BlockView(block)}));
  return status;
}

int16_t ParamDataProc(Call& call) {
  ParamDataRequest request;
  ParamDataReply reply;
  int16_t status;
  bool ok = Decode(call.in(), &request);
  ServerStatement* s = call.NamedStatement(request.statement);
  if (!call.Parsed(ok)) {
    status = call.BadRequest();
  } else if (s == nullptr) {
    status = kReplyFailed;
  } else if (!s->awaiting_data) {
    status = call.Fail("S1010", "Function sequence error: no execution waits for data.");
  } else {
    auto next = std::find_if(s->params.begin(), s->params.end(),
                             [](const ServerParam& p) { return p.at_exec && !p.opened; });
    if (next != s->params.end()) {
      next->opened = true;
      next->data.clear();
      next->indicator = 0;
      s->current_piece_param = static_cast<int>(next - s->params.begin());
      status = kReplyNeedData;
    } else {
      // Every value is in: the execution runs now.
      s->awaiting_data = false;
      s->current_piece_param = -1;
      reply.row_count = -1;
      status = Run(call, nullptr, &reply.row_count);
    }
  }
  call.Put(Encode(call.out(), reply));
  return status;
}

int16_t PutLongDataProc(Call& call) {
  DecodedRecord<PutLongDataRequest> request;
  bool ok = Decode(call.in(), &request.record);
  ServerStatement* s = call.NamedStatement(request.record.statement);
  const LnaTypedValue& piece = request.record.value;
  if (!call.Parsed(ok)) return call.BadRequest();
  if (s == nullptr) return kReplyFailed;
  if (!s->awaiting_data || s->current_piece_param < 0)
    return call.Fail("S1010", "Function sequence error: no parameter takes data now.");
  if (piece.c_type != kCTypeChar && piece.c_type != kCTypeBinary)
    return call.Fail("S1003", "Program type out of range.");
  ServerParam& p = s->params[static_cast<size_t>(s->current_piece_param)];
  MemoryRefusal refusal;
  if (!AppendPiece(&p, piece, &s->gathered_bytes, &s->param_memory, &refusal)) {
    // The execution is over either way; what it gathered goes at once.
    StartOver(*s);
    s->DropParams();
    if (refusal != MemoryRefusal::kNone)
      return call.Fail("S1001", call.session().memory().RefusalText(refusal));
    return call.Fail("22001", "Maximum data-at-execution length exceeded.");
  }
  return kReplyOk;
}

}  // namespace velsrv
