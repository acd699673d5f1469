// Text for a debugger or log watcher, through the environment in force
// (platform/env.h): by default one message of the system log at debug level.
#pragma once

void PlatformDebugOutput(const char* text);
