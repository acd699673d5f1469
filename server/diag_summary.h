// What the log shows of a backend's diagnostics: one line, as a log line
// must be, without the '?' that stand for control characters elsewhere.
#pragma once

#include <string>

#include "server/backend.h"

namespace velsrv {

// `text` on one line: each line break, with the blanks around it, becomes
// one space, and blanks at either end go (drivers end their messages with
// a line break, or split them over lines).
std::string OneLine(const std::string& text);

// "SQLSTATE text" of each record, one line each, "; " between them;
// "no diagnostic" when there is none.
std::string DiagSummary(const DiagList& diags);

}  // namespace velsrv
