#include "platform/installer_call.h"

#include <odbcinst.h>

namespace plat_installer {

namespace {
std::mutex g_mutex;
}  // namespace

Call::Call(int mode) : lock_(g_mutex) {
  if (mode == kKeepMode) return;
  UWORD saved = ODBC_BOTH_DSN;
  switched_ = SQLGetConfigMode(&saved) && SQLSetConfigMode(static_cast<UWORD>(mode));
  saved_mode_ = saved;
  ok_ = switched_;
}

Call::~Call() {
  if (switched_) SQLSetConfigMode(saved_mode_);
}

}  // namespace plat_installer
