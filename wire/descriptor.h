// The 48-byte descriptor of one bound parameter or bound column, and the
// descriptor list that execute and direct execution send and get back.
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"
#include "wire/typed_value.h"

struct LnaDescriptor {
  uint16_t number;      // parameter or column number
  uint16_t param_type;  // input, output, input/output
  int16_t sql_type;
  int32_t precision;  // column size
  int16_t scale;
  int32_t buffer_size;  // size of the application's buffer
  LnaTypedValue value;  // C type, length or indicator, and the data
};

// On the wire: u16 count, then an array of that many descriptors (i32 -1
// when there are none).
struct LnaDescList {
  uint16_t count;
  LnaDescriptor* descs;
};

int XdrPutDescriptor(MsgBuf* buf, const LnaDescriptor* d);
// On failure nothing stays allocated.
int XdrGetDescriptor(MsgBuf* buf, LnaDescriptor* d);
void XdrFreeDescriptor(LnaDescriptor* d);

// Packs a descriptor list.
int XdrParamDesc(MsgBuf* buf, const LnaDescList* list);
// Unpacks one descriptor list (an element of a reply's array of lists).
// A count larger than the descriptors that came fails with 202, so that
// count descriptors can always be read; on failure nothing stays allocated.
int XdrGetDescArray(MsgBuf* buf, LnaDescList* list);
// Frees an unpacked list: every descriptor its array holds, then the array.
void XdrFreeDescList(LnaDescList* list);
