// The client's identity as every discovery request carries it:
// "ClntHostName=h;ClntUserName=u;ClntIP=a;" and, when set,
// "OemUserName=o;".
#pragma once

#include <cstddef>
#include <string>

// Longest attribute string, without its NUL.
constexpr size_t kUserAttribMax = 255;

std::string BuildUserAttribString();
