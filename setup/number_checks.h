// The number and port checks of the setup fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// 1, with the value, when the text is a whole base-10 number (leading white
// space and a sign allowed) within low..high; 0 otherwise, the value left
// alone. Read in 64 bits: a negative number or one past 32 bits never wraps
// into the range.
int CheckNumberRange(const char* text, uint32_t low, uint32_t high, uint32_t* value);
// The array buffer size: 1 to 64.
int ValidateBufferSize(const char* text, uint32_t* value);

// The first token of a text (tabs and blanks separate tokens); empty when
// the text has none.
std::string_view FirstToken(const char* text);
// True when the text holds exactly one token (blanks around it allowed),
// which is then in `token`.
bool SoleToken(std::string_view text, std::string_view* token);

// The port a token names: a number in 1..65535, or the name of a TCP
// service whose port is. 0 when it names none.
int PortNumber(const char* token, uint32_t* port);

// 1 when the port text's first token is a port: a number in 1..65535, or
// the name of a TCP service whose port is. The first token is copied into
// `token` (cut to fit) whether or not it is valid; a text without a token
// is invalid.
int ValidatePort(const char* port_text, char* token, size_t size);
