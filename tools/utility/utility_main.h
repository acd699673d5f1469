// The configuration utility's program: its catalogue, resource library and
// settings around the main dialog.
#pragma once

#include "common/messages.h"

// 0 when the main dialog ran (or another copy already runs); 1 when the
// dialog could not be shown (no resource library, no driver library, no
// terminal), after saying why on standard error.
// "-h" or "--help" as its only argument prints what it does instead; other
// arguments are not used.
int UtilityMain(int argc, char** argv);

// Its built-in message rows, ended by number 0.
const MsgDefault* UtilityMessageRows();
