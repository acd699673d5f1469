// Keeping passwords out of trace lines.
#pragma once

#include <string>

// `text` with the value of every PWD or Password keyword (any letter case)
// replaced by as many '*' characters (MaskConnPassword).
std::string MaskPasswordValue(const char* text);
// As many '*' as `password` has characters; "NULL" for a null password.
std::string MaskedPassword(const char* password);
