// Between the wire's typed values and the values of options and
// information the backend takes and gives.
#pragma once

#include <string>

#include "server/backend.h"
#include "wire/typed_value.h"

namespace velsrv {

// A typed value that refers to `text` (which must outlive it): C type 1, its
// length, no payload when empty.
LnaTypedValue TextValue(const std::string& text);
// C type 4 (32 bits) or 5 (16 bits).
LnaTypedValue LongValue(uint32_t number);
LnaTypedValue ShortValue(uint16_t number);

// The option value a typed value carries; false for a null value, or for a
// number where a text is wanted and the other way round.
bool ToOptionValue(const LnaTypedValue& value, bool want_text, OptionValue* out);

}  // namespace velsrv
