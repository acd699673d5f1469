// The ten catalog procedures: the backend's catalog function runs on the
// statement and the reply describes its result set, which stays open for
// fetching.
#include <algorithm>

#include "server/column_describe.h"
#include "server/procedures.h"

namespace velsrv {

namespace {

// A string argument, read into the call's list of names.
int GetName(MsgBuf* buf, CatalogCall* c) {
  NullableText t;
  if (!GetText(buf, &t)) return 0;
  c->names.push_back(std::move(t));
  return 1;
}

int GetNames(MsgBuf* buf, CatalogCall* c, int n) {
  for (int i = 0; i < n; ++i) {
    if (!GetName(buf, c)) return 0;
  }
  return 1;
}

// The fields after the statement id, up to the asynchronous byte.
int GetArguments(MsgBuf* buf, CatalogCall* c, uint32_t* table_type_bits) {
  switch (c->kind) {
    case CatalogKind::kColumnPrivileges:
    case CatalogKind::kColumns:
    case CatalogKind::kProcedureColumns:
      return GetNames(buf, c, 4);
    case CatalogKind::kForeignKeys:
      return GetNames(buf, c, 6);
    case CatalogKind::kPrimaryKeys:
    case CatalogKind::kProcedures:
    case CatalogKind::kTablePrivileges:
      return GetNames(buf, c, 3);
    case CatalogKind::kSpecialColumns:
      return MsgBufGetU16(buf, &c->column_type) && GetNames(buf, c, 3) &&
             MsgBufGetU16(buf, &c->scope) && MsgBufGetU16(buf, &c->nullable);
    case CatalogKind::kStatistics:
      return GetNames(buf, c, 3) && MsgBufGetU16(buf, &c->unique) &&
             MsgBufGetU16(buf, &c->accuracy);
    case CatalogKind::kTables:
      return GetNames(buf, c, 3) && MsgBufGetU32(buf, table_type_bits);
  }
  return 0;
}

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
  CatalogCall request;
  request.kind = static_cast<CatalogKind>(call.procedure());
  int32_t statement_id = 0;
  uint32_t table_type_bits = 0;
  uint8_t async = 0;  // a hint only: the call runs to its end before the reply
  std::vector<LnaColumnDesc> columns;
  int16_t status;
  bool ok = MsgBufGetI32(call.in(), &statement_id);
  ServerStatement* s = ok ? call.LookupStatement(statement_id) : nullptr;
  if (!call.Parsed(ok && GetArguments(call.in(), &request, &table_type_bits) &&
                   GetU8(call.in(), &async))) {
    status = call.BadRequest();
  } else if (s == nullptr) {
    status = kStatusError;
  } else {
    Session& session = call.session();
    if (request.kind == CatalogKind::kTables)
      request.table_types = TableTypeList(session.table_types(), table_type_bits);
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
    if (status == kStatusOk || status == kStatusInfo) {
      for (const ColumnInfo& c : described) columns.push_back(DescribeColumn(c, session.types()));
      if (!columns.empty()) s->OpenResult(columns);
    }
  }
  call.Put(PutColumnDescs(call.out(), columns));
  return status;
}

}  // namespace velsrv
