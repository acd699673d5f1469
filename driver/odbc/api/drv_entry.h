// The library's start and stop. A shared library cannot refuse to load
// here, so a failed start is remembered and every export refuses instead.
#pragma once

// True once the process attach steps have run; false when they failed
// (the resource library could not be loaded) or have been undone.
bool DrvAttached();
