// The installer's configuration mode (user or system data sources) for the
// length of one call, restored when the scope ends.
#pragma once

#include <sqltypes.h>

class ConfigModeScope {
 public:
  explicit ConfigModeScope(UWORD mode);
  ~ConfigModeScope();
  ConfigModeScope(const ConfigModeScope&) = delete;
  ConfigModeScope& operator=(const ConfigModeScope&) = delete;

 private:
  UWORD saved_;
  bool switched_;
};

// The mode a call in `current` works in: user or system as it is, user
// data sources when it is "both".
UWORD SingleConfigMode(UWORD current);
