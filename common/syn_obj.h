// A reference-counted recursive lock that writes every lock and unlock to
// the lock trace (`OdbcTrace` under "\\HKEY_CURRENT_USER\Software\Odbc\odbc.ini",
// section "Odbc"). The remote-call layer's locks are of this kind.
#pragma once

#include <cstdint>

#include "common/crit_sec.h"

enum : int32_t {
  kSynObjOk = 0,
  kSynObjNoMemory = -11,
  kSynObjNone = -14,
  kSynObjNotInitialised = -18,
  kSynObjNotOwner = -19,  // left by a thread that does not hold it
};

// Plain zero-filled memory until the first create sets the lock up.
struct SynObj {
  uint16_t references;
  uint32_t initialised;
  alignas(CritSec) unsigned char lock_storage[sizeof(CritSec)];

  CritSec& lock() { return *reinterpret_cast<CritSec*>(lock_storage); }
  const CritSec& lock() const { return *reinterpret_cast<const CritSec*>(lock_storage); }
};

// A null *object gets a new object; every call adds a reference. 0, or -11
// (with *object still null) when no memory is left; -14 for a null address.
int32_t SynObjCreate(SynObj** object);
// Drops a reference; the last one frees the object and nulls *object. 0, or
// -14 when there is no object.
int32_t SynObjDelete(SynObj** object);
// Enters the lock (waiting for it). 0, or -18 without blocking when the
// object is missing or was never set up.
int32_t rcSynObjLock(SynObj* object);
// Leaves the lock. 0; -18 as for rcSynObjLock; -19, with nothing changed,
// when the calling thread does not hold it.
int32_t SemLeave(SynObj* object);
// 1 once set up, else 0.
uint32_t SynObjIsValid(const SynObj* object);

// Closes the lock trace; the next SynObjCreate opens it again.
void SynObjCloseTrace();
