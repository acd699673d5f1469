// Which backend driver an ODBC connection string leads to, as unixODBC
// would find it: the DRIVER it names, else the Driver of its DSN's entry
// in odbc.ini; a driver named by its odbcinst.ini entry stands for the
// library that entry names. Connections that lead to the same library get
// the same name, so that what the library cannot do on several threads at
// once is kept apart per library and not across all of them.
#pragma once

#include <string>

namespace velsrv {

// The library's file name (without its folder), else the driver's or the
// data source's name as the string gives it.
std::string BackendDriverOf(const std::string& connection_string);

}  // namespace velsrv
