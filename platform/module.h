// Loadable libraries and the files they come from. A library that the code
// names "X.dll" is the file "X.so" here.
#pragma once

#include <cstddef>

// An opaque handle of a loaded library; null stands for the main program.
struct PlatModuleRec;
using PlatModule = PlatModuleRec*;

// Loads the library at `path`; null when it cannot be loaded.
PlatModule PlatModuleLoadFile(const char* path);
// Loads a library by name as the system would find it: a name with a "/"
// as the path it is; otherwise from the program's own directory first, then
// by the dynamic loader's search. Null when neither works.
PlatModule PlatModuleLoadByName(const char* name);
// Unloads a library loaded by one of the two above. Null is ignored.
void PlatModuleFree(PlatModule module);
// The address of an exported symbol, or null.
void* PlatModuleSymbol(PlatModule module, const char* name);

// The module whose code or data holds `address`: 0 and *module (null for
// the main program), or -1 when no loaded module holds it.
int PlatModuleOf(const void* address, PlatModule* module);

// The full path of the module's file, links resolved, NUL-terminated in
// `buffer`. Its length, or 0 when the path cannot be had or does not fit
// in `size` bytes (nothing is cut).
size_t PlatModuleFileName(PlatModule module, char* buffer, size_t size);
