#include "server/freed_memory.h"

#include <malloc.h>

namespace velsrv {

void ReturnFreedMemory() {
  malloc_trim(0);
}

}  // namespace velsrv
