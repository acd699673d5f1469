// The host name whose look-up failed last on this thread, so that the
// failure's diagnostic can name it.
#pragma once

// Notes `host` (cut to 255 characters); null or "" forgets it.
void NetNoteUnresolvedHost(const char* host);
// The noted name, "" when the last look-up succeeded or none failed.
const char* NetUnresolvedHost();
