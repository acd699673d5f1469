// SQLTransact: commit or roll back the work of one connection.
#pragma once

#include <sql.h>

// fType SQL_COMMIT commits, any other value rolls back. The driver manager
// passes the connection; a call with only an environment is refused with
// S1C00 on the environment.
SQLRETURN SQLTransactImpl(SQLHENV henv, SQLHDBC hdbc, SQLUSMALLINT type);
