// Parameter bindings on their way to the server and values on their way
// back: the descriptor lists of execute and direct execution, and the copy
// of a received value into the caller's buffer.
#pragma once

#include <cstdint>

#include "driver/lna/lna_call.h"
#include "wire/descriptor.h"
#include "wire/typed_value.h"

// The binding's value into a descriptor's typed value: fixed-size values
// copied, texts and binaries by address.
void CopyFixedValue(const ParamValueEntry& entry, LnaTypedValue* out);
// A received value into `buffer`, never more than `buffer_size` bytes for a
// text or binary (a text keeps its NUL). Frees the received bytes. 0 when
// the value's C type is not `c_type` (nothing copied), else 1.
int CopyTypedValue(LnaTypedValue* received, int16_t c_type, void* buffer, int32_t buffer_size);

// The descriptors of the first and of the second list; 0 when memory runs
// out (nothing left allocated).
int LnaBuildParamDescs(uint16_t count, const ParamValueEntry* entries, LnaDescList* out);
int LnaBuildColumnDescs(uint16_t count, const ParamValueEntry* entries, LnaDescList* out);
// Copies the returned values of the second list back into the bindings; 0
// when one came back with another C type than its binding's.
int LnaKeepColumnDescs(uint16_t count, ParamValueEntry* entries, LnaDescList* returned);
// Frees the built lists and the returned one.
void LnaFreeDescs(LnaDescList* params, LnaDescList* columns, LnaDescList* returned);
