// Who and where the calling process is: the names a client reports about
// itself when it logs in.
#pragma once

#include <cstddef>

// The machine's host name, NUL-terminated in `buffer`. 1, or 0 when it
// cannot be had or does not fit.
int PlatHostName(char* buffer, size_t size);
// The name of the process's user from the password database. 1, or 0 when
// the user is not listed or the name does not fit.
int PlatUserName(char* buffer, size_t size);
