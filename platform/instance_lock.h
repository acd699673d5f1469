// One running copy of a program per user: the first start holds a lock
// file until the process ends; a later start finds it held. The lock lies
// in the user's runtime directory ($XDG_RUNTIME_DIR), else in the user's
// configuration directory ($XDG_CONFIG_HOME/velto, else ~/.config/velto),
// and is named after the program and the dialog scope (VELTO_DIALOG_SCOPE),
// as the single-instance windows of the dialog layer are.
#pragma once

enum class PlatInstanceClaim {
  kFirst,    // this process holds the lock now
  kRunning,  // another process of this user holds it
  kNoLock,   // the lock file cannot be made: nothing tells the two apart
};

// Claims the lock of `program` for the rest of the process's life.
PlatInstanceClaim PlatClaimInstance(const char* program);
