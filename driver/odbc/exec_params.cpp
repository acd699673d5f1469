#include "driver/odbc/exec_params.h"

#include "common/rec_array.h"
#include "driver/lna/column_desc.h"
#include "driver/odbc/diag.h"
#include "driver/odbc/drv_stmt.h"
#include "driver/odbc/message_ids.h"

SQLRETURN PrepareExecParams(DrvStmt* statement) {
  if (statement->marker_count == 0) return SQL_SUCCESS;
  // No parameter can be given a value yet, so each marker is one unset
  // parameter.
  for (uint32_t i = 0; i < statement->marker_count; ++i)
    PostStmtError(statement, kMsgErrPrmNotSet, 0, nullptr);
  return SQL_ERROR;
}

SQLRETURN SendExecParams(DrvStmt*) {
  return SQL_SUCCESS;
}

SQLRETURN PrepareExecuteParams(DrvStmt* statement) {
  if (statement->param_bindings == nullptr || ArrCount(statement->param_bindings) == 0)
    return SQL_SUCCESS;
  // Sending bindings the buffer cannot describe would run the statement
  // with wrong values.
  statement->param_buffer.built = 0;
  PostStmtError(statement, kMsgErrDriverIncapable, 0, nullptr);
  return SQL_ERROR;
}

void FreeParamValueCopies(DrvStmt* statement) {
  statement->param_buffer.built = 0;
}

SQLRETURN BuildParamDescs(DrvStmt* statement, const LnaParamDesc* params, uint16_t count) {
  ArrDestroy(statement->param_descs);
  statement->param_descs = nullptr;
  if (count == 0) return SQL_SUCCESS;
  statement->param_descs = ArrCreate(count, sizeof(LnaParamDesc), 0, 0);
  bool stored = statement->param_descs != nullptr;
  for (uint16_t i = 0; stored && i < count; ++i)
    stored = ArrAppend(statement->param_descs, &params[i]) == kArrOk;
  if (stored) return SQL_SUCCESS;
  ArrDestroy(statement->param_descs);
  statement->param_descs = nullptr;
  PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
  return SQL_ERROR;
}

void ReturnOutputParams(DrvStmt*) {
  // Nothing is sent, so nothing comes back.
}
