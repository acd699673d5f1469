// The installer's attribute list: NUL-terminated "key=value" strings ended
// by an empty one.
#pragma once

#include "setup/setup_context.h"

// Fills the context's records from the list: keys are matched against the
// records' keywords as whole words without regard to case, unknown keys
// are ignored, and a key given twice keeps its last value. 0, or
// kCfgSyntax for a string without "=", with an empty key or with a line
// break in a known key's value (records read before it keep their values).
uint32_t ParseAttributes(const char* list, SetupContext* context);
