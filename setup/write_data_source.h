// Stores the context's data source: its odbc.ini section and its File DSN.
#pragma once

#include <cstdint>

#include "setup/setup_context.h"

// A new data source gets its section; an existing one of this driver is
// updated in place. A silent call writes the attributes its list named, a
// dialog all six. 0; kCfgOtherDriver when the name belongs to another
// driver's data source (nothing written); kCfgOdbcWrite for a value with
// a line break (nothing written) or at the first write that fails (what
// was written before stays). The File DSN is written
// after, and its failure does not count.
uint32_t WriteDataSource(SetupContext* context);
