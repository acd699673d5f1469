// A test text in which every position is told apart: four digits per step,
// "0001", "0002", ... (the steps wrap at 10000).
#pragma once

#include <cstdio>
#include <string>

inline std::string CountingText(int steps) {
  std::string text;
  char digits[8];
  for (int i = 1; i <= steps; ++i) {
    std::snprintf(digits, sizeof digits, "%04d", i % 10000);
    text += digits;
  }
  return text;
}
