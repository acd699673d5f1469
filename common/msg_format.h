// Formatting a message template that a message file may have replaced: the
// template is checked against the arguments before anything is formatted,
// so a text with a conversion that does not fit its argument never reaches
// printf.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

struct MsgArg {
  enum Kind : unsigned char { kText, kNumber };
  Kind kind;
  const char* text;
  long number;
  static MsgArg Text(const char* value) { return MsgArg{kText, value, 0}; }
  static MsgArg Number(long value) { return MsgArg{kNumber, nullptr, value}; }
};

// `format` with `args` when every conversion of the template takes the
// argument in its place: "s" a text; "d", "i", "u", "x" or "X" a number
// (with "l" or "h", flags, and width and precision of at most four digits);
// "%%" is a percent sign. A template that uses fewer arguments than given
// is formatted too. Any other template (another conversion, "*", more
// conversions than arguments, one of the wrong kind) is returned as it
// stands.
std::string MsgFormatChecked(const char* format, std::initializer_list<MsgArg> args);
// The same into `out`, cut to size - 1 characters and a NUL; the length
// written.
size_t MsgFormatCheckedTo(char* out, size_t size, const char* format,
                          std::initializer_list<MsgArg> args);
