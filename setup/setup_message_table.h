// The setup library's built-in message table.
#pragma once

#include "common/msg_table_source.h"

extern const MsgDefault kSetupMessages[];
