// The server-list exports of the driver library, through which the tools
// discover servers and their data sources. Each opens a connection of its
// own to the server text, makes one call and closes it. 0 success; 3 when
// no connection could be opened; -20 a local failure; any other value the
// server's own status. The outputs change only when the reply was whole and
// fits.
#pragma once

#include <cstdint>

#include "driver/lna/lna_export.h"

// The server's list as text into `buffer` (at most size - 1 characters and
// a NUL); a reply that does not fit fails with -20. A null text in the reply
// leaves the buffer as it was.
VEL_LNA_EXPORT int16_t _rpcServGetServerList(const char* server, const char* request, char* buffer,
                                             int32_t size);
// Sends *size; the reply's n bytes go to `buffer` and n to *size. More bytes
// than *size fail with -20 and copy nothing.
VEL_LNA_EXPORT int16_t _rpcServGetDataSources(const char* server, const char* request,
                                              uint8_t* buffer, int32_t* size);
