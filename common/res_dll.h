// The deliverable's one resource library (dialog templates and icons),
// loaded at start and kept until the end. Loading and freeing happen at
// process start and end only.
#pragma once

#include "platform/module.h"

// Loads the library by name as the system finds it (the program's own
// directory first), replacing one loaded before. 1 when loaded; 0 when the
// name is missing or loading fails.
int ResDllLoad(const char* name);

// Loads the library from the directory of `module`'s file, else by name as
// ResDllLoad does; a library loaded before is freed first. 1 when either
// load worked; 0 when both failed or an argument is missing.
int ResDllLoadBeside(const char* name, PlatModule module);

// Frees the loaded library, if any.
void ResDllFree();

// The loaded library, or null.
PlatModule ResDllHandle();
