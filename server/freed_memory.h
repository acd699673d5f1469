// Memory the sessions have freed goes back to the system when a session
// ends, so that a server that served many sessions at once comes back near
// its idle size: every session thread allocates from a heap of its own.
#pragma once

namespace velsrv {

void ReturnFreedMemory();

}  // namespace velsrv
