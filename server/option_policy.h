// Which connection and statement options reach the backend. Options are
// forwarded through an allow-list: tracing, trace files and translation
// libraries would let a client make the server write files or load code,
// and the cursor options are held to what the client and server support
// together (forward-only, read-only, no bookmarks).
#pragma once

#include <cstdint>

namespace velsrv {

enum class OptionAction {
  kForward,     // sent to the backend
  kKeep,        // kept by the server: it concerns the client's own buffers and fetches
  kIgnore,      // accepted without effect: it concerns the client's side alone
  kNotCapable,  // refused, S1C00
  kRefuse,      // refused, S1092
};

struct OptionRule {
  OptionAction action = OptionAction::kRefuse;
  bool text = false;    // the value is a text
  bool forced = false;  // only `value` is supported; another one is changed to it (01S02)
  uint32_t value = 0;
};

// Statement options 0 to 14 of ODBC 2 (also set for all statements through
// the connection).
constexpr uint16_t kStmtOptionCount = 16;
inline bool IsStatementOption(uint16_t option) {
  return option <= 14;
}

OptionRule SetStatementOptionRule(uint16_t option);
OptionRule SetConnectionOptionRule(uint16_t option);
// Reading: kForward asks the backend, kKeep answers the kept value, anything
// else is refused.
OptionRule GetStatementOptionRule(uint16_t option);
OptionRule GetConnectionOptionRule(uint16_t option);

// The statement-option values a new statement starts with, by option number.
void DefaultStatementOptions(uint32_t (&values)[kStmtOptionCount]);
// Bit n set for every statement option n the server supports.
uint32_t SupportedStatementOptionMask();

}  // namespace velsrv
