// The list element of the descriptor, user and pair lists: a u16 count,
// then an array of that many records.
#pragma once

#include <cstddef>
#include <cstdint>

#include "wire/msg_buf.h"

int XdrPutCountedList(MsgBuf* buf, uint16_t count, const void* items, MsgBufPutFn put,
                      size_t item_size);
// Readers walk `count` records, so a count larger than the records that came
// fails with 202. On failure *count is 0, *items null, nothing allocated.
int XdrGetCountedList(MsgBuf* buf, uint16_t* count, void** items, MsgBufGetFn get, size_t item_size,
                      MsgBufReleaseFn release);
