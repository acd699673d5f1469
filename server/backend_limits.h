// What a backend really takes, where its ODBC driver's type list says less:
// drivers announce nominal maxima (a configured varchar size, the size of
// a fetch buffer) that the database itself does not enforce, and leave out
// standard types the database stores. The client refuses any parameter
// longer than the type table allows, so the table states the database's
// own limits.
#pragma once

#include <string>
#include <vector>

#include "wire/type_info.h"

namespace velsrv {

// Raises the precision of the character and binary rows to the limits of
// the database `dbms_name` (SQL_DBMS_NAME) and adds the standard numeric
// types it stores but its driver does not list. Other databases keep their
// rows as they are. True when the database's limits are known (its
// driver's sizes are nominal, its rows now state what it takes).
bool ApplyBackendLimits(const std::string& dbms_name, std::vector<LnaTypeInfo>* rows);

}  // namespace velsrv
