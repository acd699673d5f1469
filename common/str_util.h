// Small string helpers, most over NUL-terminated text. Case folding is ASCII
// only, so it does not depend on the process's locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Difference of the upper-cased first differing characters, 0 when equal.
// A null string compares as an empty one.
int StrCaseCompare(const char* a, const char* b);
// -1, 0 or 1 over at most n characters, upper-cased.
int StrCaseNCompare(const char* a, const char* b, size_t n);
// Reversed in place (strings shorter than 2 stay as they are); returns s.
char* StrReverse(char* s);
// Upper- / lower-cased in place; return s.
char* StrUpper(char* s);
char* StrLower(char* s);
// Copies at most n characters of source; a NUL follows only when fewer than
// n were copied, so a caller that needs a terminated result passes one less
// than its buffer's size.
void StrCopyBounded(char* destination, const char* source, size_t n);
// Appends as much of source as fits after the text already in destination
// (a buffer of `size` bytes), always leaving it terminated.
void StrAppendBounded(char* destination, const char* source, size_t size);
// The text without the characters of `blanks` at either end.
std::string Trim(std::string_view text, std::string_view blanks = " \t\r\n");
