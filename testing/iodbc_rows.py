# A small client of the iODBC driver manager (libiodbc.so.2) for the end to
# end tests: runs the statements read from standard input, one a line, on
# the data source named by the first argument, and prints the rows of each
# result with "|" between the values and NULL for a null. It calls SQLFetch
# and SQLGetData directly, as ODBC 2 applications do.
import ctypes
import sys

SQL_C_CHAR = 1
SQL_NULL_DATA = -1

lib = ctypes.CDLL("libiodbc.so.2")
env, dbc, stmt = ctypes.c_void_p(), ctypes.c_void_p(), ctypes.c_void_p()
if lib.SQLAllocEnv(ctypes.byref(env)) != 0 or lib.SQLAllocConnect(env, ctypes.byref(dbc)) != 0:
    sys.exit("no handles")
dsn = sys.argv[1].encode()
if lib.SQLConnect(dbc, dsn, len(dsn), None, 0, None, 0) not in (0, 1):
    sys.exit("no connection")
lib.SQLAllocStmt(dbc, ctypes.byref(stmt))
for sql in sys.stdin.read().splitlines():
    if not sql or sql == "quit":
        continue
    if lib.SQLExecDirect(stmt, sql.encode(), len(sql)) not in (0, 1):
        sys.exit("failed: " + sql)
    count = ctypes.c_short()
    lib.SQLNumResultCols(stmt, ctypes.byref(count))
    while count.value > 0 and lib.SQLFetch(stmt) in (0, 1):
        row = []
        for column in range(1, count.value + 1):
            buffer = ctypes.create_string_buffer(4096)
            length = ctypes.c_long()
            lib.SQLGetData(stmt, column, SQL_C_CHAR, buffer, 4096, ctypes.byref(length))
            row.append("NULL" if length.value == SQL_NULL_DATA else buffer.value.decode())
        print("|".join(row))
    lib.SQLFreeStmt(stmt, 0)
lib.SQLFreeStmt(stmt, 1)
lib.SQLDisconnect(dbc)
print("done")
