#include "wire/scramble.h"

#include <cstring>

namespace {

// The byte that position i is XORed with, derived from the byte before it
// in the walk.
uint8_t Mask(uint8_t previous, size_t i) {
  int c = static_cast<int8_t>(previous);
  int r = (c + static_cast<int>(i)) & 7;
  return static_cast<uint8_t>((c << r) | (c >> (7 - r)));
}

void Fold(uint8_t* t, size_t n) {
  for (size_t j = n - 1; j >= 1; --j) t[0] ^= t[j];
}

}  // namespace

size_t Gcd(size_t a, size_t b) {
  while (a != 0 && b != 0) {
    if (a > b)
      a %= b;
    else
      b %= a;
  }
  return a == 0 ? b : a;
}

void ScrambleConnString(const uint8_t* source, size_t n, uint8_t* target) {
  if (n == 0) return;
  std::memcpy(target, source, n);
  for (size_t s = 1; s < n; ++s) {
    if (Gcd(s, n) != 1) continue;
    size_t previous = 0;
    for (size_t i = s; i != 0; i = (i + s) % n) {
      target[i] ^= Mask(target[previous], i);
      previous = i;
    }
  }
  Fold(target, n);
}

void UnscrambleConnString(const uint8_t* source, size_t n, uint8_t* target) {
  if (n == 0) return;
  std::memcpy(target, source, n);
  Fold(target, n);
  for (size_t s = n - 1; s >= 1; --s) {
    if (Gcd(s, n) != 1) continue;
    for (size_t i = n - s; i != 0;) {
      size_t previous = (i + n - s) % n;
      target[i] ^= Mask(target[previous], i);
      i = previous;
    }
  }
}
