// A statement's described result set: the server's column descriptions
// turned into ColumnDesc records, and the answers about them
// (SQLNumResultCols, SQLDescribeCol, SQLColAttributes).
#pragma once

#include <sql.h>

#include <cstdint>

struct ColumnDesc;
struct DrvStmt;
struct LnaColumnDesc;

// Replaces the statement's result set with one column per record.
// SQL_SUCCESS, or SQL_ERROR (posted) with no result set left.
SQLRETURN DrvBuildResultSet(DrvStmt* statement, const LnaColumnDesc* records, uint32_t count);
// One record into `column`, its texts in the statement's result pool.
// SQL_SUCCESS, or SQL_ERROR (posted).
SQLRETURN BuildColumnDescs(DrvStmt* statement, ColumnDesc* column, const LnaColumnDesc* record);
// The number of column records (every column the server sends), 0 when
// none.
uint32_t ResultColumnCount(const DrvStmt* statement);
// The number of columns the application sees: that of the records for
// rows of a query; for a catalog result that of its fixed description,
// but never more than the records.
uint32_t DescribedColumnCount(const DrvStmt* statement);
// Column `number` (1 upward), null when there is none.
ColumnDesc* ResultColumn(const DrvStmt* statement, uint32_t number);
// The SQL type the application sees for a column: that of its server type.
int16_t ColumnSqlType(const DrvStmt* statement, const ColumnDesc* column);

SQLRETURN SQLNumResultColsImpl(SQLHSTMT hstmt, SQLSMALLINT* pccol);
SQLRETURN SQLDescribeColImpl(SQLHSTMT hstmt, SQLUSMALLINT icol, SQLCHAR* szColName,
                             SQLSMALLINT cbColNameMax, SQLSMALLINT* pcbColName,
                             SQLSMALLINT* pfSqlType, SQLULEN* pcbColDef, SQLSMALLINT* pibScale,
                             SQLSMALLINT* pfNullable);
SQLRETURN SQLColAttributesImpl(SQLHSTMT hstmt, SQLUSMALLINT icol, SQLUSMALLINT fDescType,
                               SQLPOINTER rgbDesc, SQLSMALLINT cbDescMax, SQLSMALLINT* pcbDesc,
                               SQLLEN* pfDesc);
// A column attribute's text into the application's buffer: the full length
// in *length; cut to fit with a buffer given posts 01004 and gives
// SQL_SUCCESS_WITH_INFO. A null text is empty.
SQLRETURN CopyOutAttrString(DrvStmt* statement, const char* text, void* buffer,
                            SQLSMALLINT buffer_length, SQLSMALLINT* length);
