// The configuration utility's program: its catalogue, resource library and
// settings around the main dialog.
#pragma once

#include "common/messages.h"

// 0 when the main dialog ran (or another copy already runs); 1 when the
// dialog could not be shown (no resource library, no driver library, no
// terminal), after saying why on standard error.
int UtilityMain();

// Its built-in message rows, ended by number 0.
const MsgDefault* UtilityMessageRows();
