// One call into the ODBC installer library. Its configuration mode is
// process-wide state: a call that switches it holds a lock for the call, so
// another thread's call never runs in the wrong mode. Internal to platform/.
#pragma once

#include <mutex>

namespace plat_installer {

constexpr int kKeepMode = -1;

class Call {
 public:
  // `mode` is the installer's ODBC_USER_DSN or ODBC_SYSTEM_DSN, or
  // kKeepMode to run in the current one.
  explicit Call(int mode);
  ~Call();
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;
  // False when the mode could not be switched: the call must not run.
  bool ok() const { return ok_; }

 private:
  std::lock_guard<std::mutex> lock_;
  unsigned short saved_mode_ = 0;
  bool switched_ = false;
  bool ok_ = true;
};

}  // namespace plat_installer
