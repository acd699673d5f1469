// The refresh program: the data-source update behind a wait notice.
#pragma once

#include "common/messages.h"

// 0 when the notice ran (or another copy already runs); 1 when it could not
// be shown (no resource library, no driver library, no terminal), after
// saying why on standard error.
// "-h" or "--help" as its only argument prints what it does instead; other
// arguments are not used.
int RefreshMain(int argc, char** argv);

// Its built-in message rows, ended by number 0.
const MsgDefault* RefreshMessageRows();
