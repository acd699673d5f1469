#include "setup/config_mode.h"

#include <odbcinst.h>

ConfigModeScope::ConfigModeScope(UWORD mode) : saved_(ODBC_BOTH_DSN), switched_(false) {
  if (!SQLGetConfigMode(&saved_)) saved_ = ODBC_BOTH_DSN;
  if (saved_ != mode) switched_ = SQLSetConfigMode(mode) != 0;
}

ConfigModeScope::~ConfigModeScope() {
  if (switched_) SQLSetConfigMode(saved_);
}

UWORD SingleConfigMode(UWORD current) {
  return current == ODBC_SYSTEM_DSN ? ODBC_SYSTEM_DSN : ODBC_USER_DSN;
}
