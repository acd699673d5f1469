// Result codes of the file layer and their catalogue texts. Message numbers
// equal the codes; every error text begins with the text of 4002.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/msg_table_source.h"

enum : int32_t {
  kFilOk = 0,
  kFilRefused = 1,    // an argument or flag combination the layer does not take
  kFilShortRead = 2,  // fewer bytes than asked: the end of the file
  kFilMsgPrefix = 4002,
  kFilOpenError = 4003,
  kFilReadError = 4004,
  kFilWriteError = 4005,
  kFilMaxFiles = 4006,
  kFilCloseError = 4007,
  kFilDeleteError = 4008,
  kFilSeekError = 4009,
  kFilInvalidHandle = 4010,
  kFilRenameError = 4012,
  kFilNoMemory = 4013,
  kFilExists = 4014,
};

// The layer's rows, ended by a row of number 0, for a deliverable's table.
extern const MsgDefault kFilMessages[];

// For one of the layer's codes: the prefix, the code's text and, when it
// still fits whole, " Operating system LastError = <n>" with the calling
// thread's last system error at the time of the call; cut to `size` bytes
// and terminated. A short read shows the read error's text. Any other code
// gives an empty text.
void FilErrorText(int32_t code, char* buffer, size_t size);
