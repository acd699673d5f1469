// The protocol text a connection to a server is opened with, from the
// per-user protocol-stack and firewall-tunnelling settings.
#pragma once

// A new text (MemFree) or null (no server text, no port in it, or no
// memory). The initial protocols (`ClientInitProto`, else the server's
// `Initial Protocols`) are returned whole when they are empty, when no HTTP
// ports are configured (`ClientHTTPPorts`, else `HTTPPorts`), or when the
// server's port is one of them; otherwise the part after their first ';'.
char* ResolveServerProtocol(const char* server);
