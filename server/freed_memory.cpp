#include "server/freed_memory.h"

#include <dlfcn.h>
#include <malloc.h>

namespace velsrv {

namespace {

// Whether the C library's own heap serves the process's allocations: a
// replacement heap (a sanitizer's, a preloaded allocator) keeps its memory
// its own way, and the C library's trim has nothing of it to give back.
bool LibraryHeapInUse() {
  void* libc = dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
  bool own = libc != nullptr && dlsym(RTLD_DEFAULT, "malloc") == dlsym(libc, "malloc");
  if (libc != nullptr) dlclose(libc);
  return own;
}

}  // namespace

void ReturnFreedMemory() {
  static const bool library_heap = LibraryHeapInUse();
  if (library_heap) malloc_trim(0);
}

}  // namespace velsrv
