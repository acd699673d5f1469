// What the conversion tests share: the driver-wide tables set up around
// each test, and one conversion through the dispatcher into a heap buffer
// of exactly the size the caller names, so a write past it is caught.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "driver/odbc/convert/conv_dispatch.h"
#include "driver/odbc/convert/conv_tables.h"

class ConvRoutineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConvInit();
    ASSERT_EQ(DrvInitConversions(), 0);
  }
  void TearDown() override {
    ReleaseConvTypes();
    ConvTerm();
  }
};

struct ConvOutcome {
  int32_t result;
  std::string bytes;   // the whole target buffer afterwards
  int32_t out_length;  // -99 when the routine left it alone

  // The text in the buffer, up to its NUL.
  std::string Text() const { return std::string(bytes.c_str()); }
  template <typename T>
  T Value() const {
    T value{};
    std::memcpy(&value, bytes.data(), bytes.size() < sizeof value ? bytes.size() : sizeof value);
    return value;
  }
};

// Converts into a buffer of `buffer_size` bytes (the target length unless
// given) that starts filled with '#'.
inline ConvOutcome ConvertInto(const void* source, int16_t source_type, int32_t source_length,
                               int16_t target_type, int32_t target_length, int32_t precision = 0,
                               int16_t scale = 0, int32_t buffer_size = -1) {
  size_t size = static_cast<size_t>(buffer_size >= 0 ? buffer_size : target_length);
  auto buffer = std::make_unique<char[]>(size);
  std::memset(buffer.get(), '#', size);
  int32_t out_length = -99;
  int32_t result = ConvertValueEntry(source, source_type, source_length, 0, buffer.get(),
                                     target_type, target_length, precision, scale, &out_length);
  return {result, std::string(buffer.get(), size), out_length};
}

// A NUL-terminated text source.
inline ConvOutcome ConvertText(const char* text, int16_t target_type, int32_t target_length,
                               int32_t precision = 0, int16_t scale = 0, int32_t buffer_size = -1) {
  return ConvertInto(text, 1, -3, target_type, target_length, precision, scale, buffer_size);
}
