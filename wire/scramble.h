// The keyless, reversible scrambling of the login's connection string. Both
// sides of the wire use it: the client scrambles what it sends and
// unscrambles the completed string that comes back; the server the reverse.
#pragma once

#include <cstddef>
#include <cstdint>

// Scrambles n bytes of source into target (which may not overlap it).
void ScrambleConnString(const uint8_t* source, size_t n, uint8_t* target);
void UnscrambleConnString(const uint8_t* source, size_t n, uint8_t* target);
size_t Gcd(size_t a, size_t b);
