// Where a module's file lies, for placing files beside it.
#pragma once

#include "platform/file_system.h"
#include "platform/module.h"

struct ModulePathParts {
  char directory[kPlatPathMax];  // without the final "/"; empty for a file in "/"
  char name[kPlatNameMax];       // the file's name
};

// 0 with the directory and the name of the module's file (null: the main
// program), both terminated; 1 when the file name cannot be had, a part
// would not fit, or no output is given. Nothing is cut.
int ModulePathSplit(PlatModule module, ModulePathParts* parts);
