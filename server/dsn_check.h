// The check of the configured data sources at start: each is connected to
// once, as a login without a user would connect, so that a mistyped
// connection string shows in the log before the first client meets it.
#pragma once

#include "server/server_context.h"

namespace velsrv {

// Logs a warning for every data source that cannot connect or whose type
// information lacks the base types; an info line for the others.
void CheckDataSources(ServerContext& context);

}  // namespace velsrv
