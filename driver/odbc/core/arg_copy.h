// Taking string arguments in the ODBC length convention and giving strings
// back with truncation. The results are message numbers, which the caller
// posts.
#pragma once

#include <cstdint>

// A string argument as the worker uses it: terminated, or null for "no
// value". Workers keep their copies in a small array and free them together.
struct ArgCopy {
  const char* text;
  uint32_t owned;  // 1 when `text` was allocated by the copy
};

constexpr int32_t kNoLengthLimit = -1;

// Takes `text` of `length` bytes (SQL_NTS: terminated; SQL_NULL_DATA or a
// null text: no value). With a limit (`max_length` not -1) the characters
// counted by PatternLength with `escape` must not exceed it. Returns 5100,
// 5147 (a bad length, or over the limit), 5160 (a limit of 0) or 5136.
uint32_t CopyInString(ArgCopy* copy, const char* text, int32_t length, int32_t max_length,
                      char escape);
// Characters of the text as the server counts them: an escape followed by
// the escape, "_" or "%" counts once. A NUL escape counts every byte.
int32_t PatternLength(const char* text, int32_t length, int32_t max_length, char escape);
// Frees the owned texts; every copy is left null.
void FreeArgCopy(ArgCopy* copies, uint32_t count);

// Copies `source` (null: empty) into `destination` of `size` bytes, cut to
// size - 1 characters and a NUL when it does not fit. The full length goes
// to *length when given. 0, or 1 when cut (also when nothing could be
// written). A negative size counts as 0.
int CopyOutString(char* destination, const char* source, int32_t size, int32_t* length);
// The same for ODBC's 16-bit length arguments; a length beyond their range
// is given as the largest they hold.
int CopyOutString(char* destination, const char* source, int32_t size, int16_t* length);
