// Text for a debugger or log watcher. By default each call becomes one
// message of the system log at debug level; tests install their own hook.
#pragma once

using PlatformDebugOutputHook = void (*)(const char* text);

void PlatformDebugOutput(const char* text);

// Replaces the hook and returns the previous one; null restores the default.
PlatformDebugOutputHook PlatformSetDebugOutputHook(PlatformDebugOutputHook hook);
