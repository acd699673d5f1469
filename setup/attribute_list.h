// The installer's attribute list: NUL-terminated "key=value" strings ended
// by an empty one.
#pragma once

#include <string>

#include "setup/setup_context.h"

// Fills the context's records from the list: keys are matched against the
// records' keywords as whole words without regard to case, unknown keys
// are ignored, and a key given twice keeps its last value. 0, or
// kCfgSyntax for a string without "=", with an empty key or with a line
// break in a known key's value (records read before it keep their values).
// A value longer than its record keeps is cut, except where the cut text
// would name something else: a DSN or UID is then refused with kCfgBadDsn,
// a ServerDSN with kCfgBadServerDsn and a ServerName with
// kCfgBadServerList, judged on each key's last value, which goes to
// `refused` as it was given.
uint32_t ParseAttributes(const char* list, SetupContext* context, std::string* refused);
