// One statement of a session: its backend statement, the diagnostics it
// keeps for the client and the statement options the server holds itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "server/backend.h"
#include "server/diag_store.h"
#include "server/option_policy.h"

namespace velsrv {

struct ServerStatement {
  int32_t id = 0;
  std::unique_ptr<BackendStatement> backend;
  DiagStore diags;
  uint32_t options[kStmtOptionCount] = {};
  // Kept here when the backend has no cursor names of its own.
  std::string cursor_name;
};

}  // namespace velsrv
