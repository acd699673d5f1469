// A settings registry of our own, with the operations the code expects of
// the Windows registry: keys below five roots, addressed by paths whose
// components are separated by backslashes, each key holding named string
// values. Names compare without regard to case and keep the case they were
// created with.
//
// Two stores lie behind one set of keys, chosen by path:
// - Software\ODBC\ODBC.INI of the current user and of the local machine,
//   and the machine's Software\ODBC\ODBCINST.INI, are the ODBC installer
//   library's odbc.ini and odbcinst.ini, so that the driver
//   manager and these keys see one set of data sources. The key below one of
//   them is an ini section, a value is an ini key; deeper keys do not exist.
//   The user key follows the installer's current configuration mode, the
//   machine key always means the system data sources.
// - Everything else lives in one text file per root in the directory named
//   by VELTO_REGISTRY, else $XDG_CONFIG_HOME/velto/registry (default
//   ~/.config/velto/registry) for the current user's root and
//   /etc/velto/registry for the other roots. Writes are atomic and may come
//   from several processes at once; reads see other processes' writes.
//
// Every operation returns kPlatRegOk or one of the error codes below.
#pragma once

#include <cstdint>

struct PlatRegKey;

enum class PlatRegRoot : uint8_t {
  kClassesRoot,
  kCurrentConfig,  // reading only
  kCurrentUser,
  kLocalMachine,
  kUsers,
};

constexpr long kPlatRegOk = 0;
constexpr long kPlatRegNotFound = 2;
constexpr long kPlatRegAccessDenied = 5;  // no rights, or a key that cannot be changed
constexpr long kPlatRegNoMemory = 8;
constexpr long kPlatRegInvalidArgument = 87;  // includes names and values the store cannot hold
constexpr long kPlatRegMoreData = 234;
constexpr long kPlatRegNoMoreItems = 259;
constexpr long kPlatRegIoFailed = 1016;

// Longest key name component, in bytes.
constexpr uint32_t kPlatRegMaxKeyName = 255;

// The root's own key; it is never null and closing it does nothing.
PlatRegKey* PlatRegRootKey(PlatRegRoot root);

// Opens an existing key below `parent`. `subkey` may name several levels
// ("a\b\c"); empty components are skipped, so an empty or null subkey opens
// `parent` itself again. On success *key must be closed.
long PlatRegOpenKey(PlatRegKey* parent, const char* subkey, PlatRegKey** key);
// Opens the key, creating it (with every missing level) when it is missing.
long PlatRegCreateKey(PlatRegKey* parent, const char* subkey, PlatRegKey** key);
// Null and root keys are ignored.
void PlatRegCloseKey(PlatRegKey* key);

// Reads a string value. *size is the buffer's size on entry and the value's
// size counting its NUL on return; a buffer too small gives kPlatRegMoreData
// and leaves it untouched. A null `data` only asks for the size.
long PlatRegQueryValue(PlatRegKey* key, const char* name, char* data, uint32_t* size);
// Creates or replaces a string value. Values holding line breaks are refused.
long PlatRegSetValue(PlatRegKey* key, const char* name, const char* value);
long PlatRegDeleteValue(PlatRegKey* key, const char* name);
// Deletes `subkey` of `parent` and its values. A key that still has subkeys
// is refused (kPlatRegAccessDenied), as are the installer's own keys and the
// keys leading to them.
long PlatRegDeleteKey(PlatRegKey* parent, const char* subkey);

// The name of the index-th subkey / value, in a stable order while nothing
// changes. *size is the buffer's size on entry and the name's length without
// its NUL on return; a buffer too small gives kPlatRegMoreData and the
// needed size counting the NUL. Past the last one: kPlatRegNoMoreItems.
long PlatRegEnumKey(PlatRegKey* key, uint32_t index, char* name, uint32_t* size);
long PlatRegEnumValue(PlatRegKey* key, uint32_t index, char* name, uint32_t* size);
