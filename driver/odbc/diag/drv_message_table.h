// The driver's built-in message rows, ended by a row of number 0.
#pragma once

#include "common/msg_table_source.h"

extern const MsgDefault kDrvMessages[];
