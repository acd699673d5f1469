// The ten catalog procedures: the backend's catalog function runs on the
// statement and the reply describes its result set, which stays open for
// fetching.
#include <algorithm>

#include "server/column_describe.h"
#include "server/procedures.h"
#include "wire/calls.h"

namespace velsrv {

namespace {

// The type list for a table-type mask, built from the login's table types
// (bit i stands for type i). No mask, or one naming every known type or none
// of them, asks for tables of every type.
NullableText TableTypeList(const std::vector<std::string>& types, uint32_t mask) {
  size_t n = std::min<size_t>(types.size(), 32);
  uint32_t known = n == 32 ? 0xFFFFFFFFu : (1u << n) - 1;
  uint32_t asked = mask & known;
  if (asked == 0 || asked == known) return std::nullopt;
  std::string list;
  for (size_t i = 0; i < n; ++i) {
    if ((asked & (1u << i)) == 0) continue;
    if (!list.empty()) list += ",";
    list += "'" + types[i] + "'";
  }
  return list;
}

}  // namespace

int16_t CatalogProc(Call& call) {
  CatalogRequest received;
  received.procedure = call.procedure();
  std::vector<LnaColumnDesc> columns;
  int16_t status;
  bool ok = Decode(call.in(), &received);
  ServerStatement* s = call.NamedStatement(received.statement);
  CatalogCall request;
  request.kind = static_cast<CatalogKind>(received.procedure);
  request.names = std::move(received.names);
  request.column_type = received.column_type;
  request.scope = received.scope;
  request.nullable = received.nullable;
  request.unique = received.unique;
  request.accuracy = received.accuracy;
  if (!call.Parsed(ok)) {
    status = call.BadRequest();
  } else if (s == nullptr) {
    status = kReplyFailed;
  } else {
    Session& session = call.session();
    if (request.kind == CatalogKind::kTables)
      request.table_types = TableTypeList(session.table_types(), received.table_types);
    DiagList diags;
    // A new result set replaces the one the client no longer reads.
    s->ResetResult();
    s->backend->Free(0, &diags);
    diags.clear();
    BackendRc rc;
    std::vector<ColumnInfo> described;
    {
      Session::ActiveCall active(session, s->backend.get());
      rc = s->backend->Catalog(request, &diags);
      if (Succeeded(rc)) {
        BackendRc drc = s->backend->DescribeResult(&described, &diags);
        if (!Succeeded(drc))
          rc = drc;
        else if (drc == BackendRc::kSuccessWithInfo)
          rc = drc;
      }
    }
    status = call.FromBackend(rc, diags);
    if (status == kReplyOk || status == kReplyInfo) {
      for (const ColumnInfo& c : described) columns.push_back(DescribeColumn(c, session.types()));
      if (!columns.empty()) s->OpenResult(columns);
    }
  }
  call.Put(PutColumnDescs(call.out(), columns));
  return status;
}

}  // namespace velsrv
