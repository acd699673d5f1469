// SQLite keeps one process-wide tally of the memory every connection
// allocates, under one lock that each allocation takes. A server of many
// sessions in one process would wait on it all the time (the SQLite ODBC
// driver allocates for every value it reads), and nothing here reads the
// tally: it is turned off before SQLite's first use, where SQLite is
// installed.
#pragma once

namespace velsrv {

// True when SQLite was found and took the setting.
bool TurnOffSqliteMemoryTally();

}  // namespace velsrv
