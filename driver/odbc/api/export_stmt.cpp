// Exports of statements: allocation, prepare and execute, results, fetch,
// parameters and statement options.
#include <sql.h>
#include <sqlext.h>

#include "driver/odbc/api/drv_entry.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/export_guard.h"
#include "driver/odbc/fetch/column_binding.h"
#include "driver/odbc/fetch/result_set.h"
#include "driver/odbc/fetch/stmt_fetch.h"
#include "driver/odbc/options/stmt_options_api.h"
#include "driver/odbc/statement/cursor_name.h"
#include "driver/odbc/statement/data_at_exec.h"
#include "driver/odbc/statement/param_api.h"
#include "driver/odbc/statement/row_count.h"
#include "driver/odbc/statement/stmt_exec.h"
#include "driver/odbc/statement/stmt_handle.h"

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLAllocStmt(SQLHDBC hdbc, SQLHSTMT* phstmt) {
  if (!DrvAttached()) return RefuseNewHandle(phstmt);
  if (phstmt != nullptr) *phstmt = SQL_NULL_HSTMT;
  return GuardConn(hdbc, [&] { return SQLAllocStmtImpl(hdbc, phstmt); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT hstmt, SQLUSMALLINT fOption) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLFreeStmtImpl(hstmt, fOption); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT hstmt, SQLCHAR* szSqlStr,
                                             SQLINTEGER cbSqlStr) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLPrepareImpl(hstmt, szSqlStr, cbSqlStr); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT hstmt) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLExecuteImpl(hstmt); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT hstmt, SQLCHAR* szSqlStr,
                                                SQLINTEGER cbSqlStr) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLExecDirectImpl(hstmt, szSqlStr, cbSqlStr); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLCancel(SQLHSTMT hstmt) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLCancelImpl(hstmt); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT hstmt, SQLSMALLINT* pccol) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLNumResultColsImpl(hstmt, pccol); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT hstmt, SQLUSMALLINT icol,
                                                 SQLCHAR* szColName, SQLSMALLINT cbColNameMax,
                                                 SQLSMALLINT* pcbColName, SQLSMALLINT* pfSqlType,
                                                 SQLULEN* pcbColDef, SQLSMALLINT* pibScale,
                                                 SQLSMALLINT* pfNullable) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] {
    return SQLDescribeColImpl(hstmt, icol, szColName, cbColNameMax, pcbColName, pfSqlType,
                              pcbColDef, pibScale, pfNullable);
  });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLColAttributes(SQLHSTMT hstmt, SQLUSMALLINT icol,
                                                   SQLUSMALLINT fDescType, SQLPOINTER rgbDesc,
                                                   SQLSMALLINT cbDescMax, SQLSMALLINT* pcbDesc,
                                                   SQLLEN* pfDesc) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] {
    return SQLColAttributesImpl(hstmt, icol, fDescType, rgbDesc, cbDescMax, pcbDesc, pfDesc);
  });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLRowCount(SQLHSTMT hstmt, SQLLEN* pcrow) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLRowCountImpl(hstmt, pcrow); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLGetCursorName(SQLHSTMT hstmt, SQLCHAR* szCursor,
                                                   SQLSMALLINT cbCursorMax,
                                                   SQLSMALLINT* pcbCursor) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt,
                   [&] { return SQLGetCursorNameImpl(hstmt, szCursor, cbCursorMax, pcbCursor); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLSetCursorName(SQLHSTMT hstmt, SQLCHAR* szCursor,
                                                   SQLSMALLINT cbCursor) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLSetCursorNameImpl(hstmt, szCursor, cbCursor); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLMoreResults(SQLHSTMT hstmt) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLMoreResultsImpl(hstmt); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLBindCol(SQLHSTMT hstmt, SQLUSMALLINT icol, SQLSMALLINT fCType,
                                             SQLPOINTER rgbValue, SQLLEN cbValueMax,
                                             SQLLEN* pcbValue) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(
      hstmt, [&] { return SQLBindColImpl(hstmt, icol, fCType, rgbValue, cbValueMax, pcbValue); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT hstmt) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLFetchImpl(hstmt); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLGetData(SQLHSTMT hstmt, SQLUSMALLINT icol, SQLSMALLINT fCType,
                                             SQLPOINTER rgbValue, SQLLEN cbValueMax,
                                             SQLLEN* pcbValue) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(
      hstmt, [&] { return SQLGetDataImpl(hstmt, icol, fCType, rgbValue, cbValueMax, pcbValue); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLBindParameter(SQLHSTMT hstmt, SQLUSMALLINT ipar,
                                                   SQLSMALLINT fParamType, SQLSMALLINT fCType,
                                                   SQLSMALLINT fSqlType, SQLULEN cbColDef,
                                                   SQLSMALLINT ibScale, SQLPOINTER rgbValue,
                                                   SQLLEN cbValueMax, SQLLEN* pcbValue) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] {
    return SQLBindParameterImpl(hstmt, ipar, fParamType, fCType, fSqlType, cbColDef, ibScale,
                                rgbValue, cbValueMax, pcbValue);
  });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLParamData(SQLHSTMT hstmt, SQLPOINTER* prgbValue) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLParamDataImpl(hstmt, prgbValue); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLPutData(SQLHSTMT hstmt, SQLPOINTER rgbValue, SQLLEN cbValue) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLPutDataImpl(hstmt, rgbValue, cbValue); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLNumParams(SQLHSTMT hstmt, SQLSMALLINT* pcpar) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLNumParamsImpl(hstmt, pcpar); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLDescribeParam(SQLHSTMT hstmt, SQLUSMALLINT ipar,
                                                   SQLSMALLINT* pfSqlType, SQLULEN* pcbParamDef,
                                                   SQLSMALLINT* pibScale, SQLSMALLINT* pfNullable) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] {
    return SQLDescribeParamImpl(hstmt, ipar, pfSqlType, pcbParamDef, pibScale, pfNullable);
  });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLSetStmtOption(SQLHSTMT hstmt, SQLUSMALLINT fOption,
                                                   SQLULEN vParam) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLSetStmtOptionImpl(hstmt, fOption, vParam); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLGetStmtOption(SQLHSTMT hstmt, SQLUSMALLINT fOption,
                                                   SQLPOINTER pvParam) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return SQLGetStmtOptionImpl(hstmt, fOption, pvParam); });
}
