// Steps the connect functions share.
#pragma once

#include <sql.h>

struct DrvConn;

// Refuses a second login on a handle that is logged in: it would orphan
// the first (posted). true when refused.
bool RefuseWhileConnected(DrvConn* connection);
// After a login: the data source's translation library. One that cannot
// be loaded ends the attempt (SQL_ERROR); `result` is the connect's so far.
SQLRETURN LoadDataSourceTranslation(DrvConn* connection, SQLRETURN result);
