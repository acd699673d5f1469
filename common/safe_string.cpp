#include "common/safe_string.h"

#include <cstdio>
#include <cstring>
#include <istream>
#include <new>
#include <ostream>
#include <utility>

namespace {

const char* OrEmpty(const char* text) {
  return text == nullptr ? "" : text;
}

// The byte order of the texts; memcmp compares as unsigned bytes.
int CompareBytes(const char* a, size_t a_len, const char* b, size_t b_len) {
  size_t n = a_len < b_len ? a_len : b_len;
  int c = n == 0 ? 0 : std::memcmp(a, b, n);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a_len == b_len) return 0;
  return a_len < b_len ? -1 : 1;
}

}  // namespace

SafeString::SafeString() noexcept = default;

SafeString::SafeString(const SafeString& other) : text_(other.text_) {}

SafeString::SafeString(SafeString&& other) noexcept
    : text_(std::move(other.text_)), failed_(other.failed_) {
  other.text_.clear();
}

SafeString::SafeString(const char* text) : text_(OrEmpty(text)) {}

SafeString::SafeString(const char* text, size_t length) noexcept {
  if (text == nullptr || length == 0) return;
  try {
    text_.assign(text, length);
  } catch (const std::bad_alloc&) {
    failed_ = 1;
  }
}

SafeString& SafeString::Assign(const SafeString& other) noexcept {
  if (this == &other || text_ == other.text_) return *this;
  try {
    text_ = other.text_;
  } catch (const std::bad_alloc&) {
    failed_ = 1;
  }
  return *this;
}

SafeString& SafeString::Assign(const char* text) noexcept {
  try {
    text_.assign(OrEmpty(text));
  } catch (const std::bad_alloc&) {
    failed_ = 1;
  }
  return *this;
}

SafeString& SafeString::Swap(SafeString& other) noexcept {
  text_.swap(other.text_);
  return *this;
}

void swap(SafeString& a, SafeString& b) noexcept {
  a.Swap(b);
}

SafeString& SafeString::Append(const SafeString& other) noexcept {
  try {
    text_.append(other.text_);
  } catch (const std::bad_alloc&) {
    failed_ = 1;
  }
  return *this;
}

SafeString& SafeString::AppendChars(const char* text) noexcept {
  try {
    text_.append(OrEmpty(text));
  } catch (const std::bad_alloc&) {
    failed_ = 1;
  }
  return *this;
}

SafeString& SafeString::AppendNumber(int32_t number) noexcept {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(number));
  return AppendChars(digits);
}

SafeString& SafeString::Insert(size_t position, const SafeString& other) {
  try {
    text_.insert(position, other.text_);
  } catch (const std::bad_alloc&) {
    failed_ = 1;
  }
  return *this;
}

SafeString& SafeString::Insert(size_t position, const char* text) {
  try {
    text_.insert(position, OrEmpty(text));
  } catch (const std::bad_alloc&) {
    failed_ = 1;
  }
  return *this;
}

SafeString& SafeString::Clear() noexcept {
  text_.clear();
  return *this;
}

SafeString& SafeString::Erase(size_t position, size_t count) {
  text_.erase(position, count);
  return *this;
}

int SafeString::Compare(const SafeString& other) const noexcept {
  return CompareBytes(text_.data(), text_.size(), other.text_.data(), other.text_.size());
}

int SafeString::Compare(const char* text) const noexcept {
  text = OrEmpty(text);
  return CompareBytes(text_.data(), text_.size(), text, std::strlen(text));
}

std::ostream& operator<<(std::ostream& out, const SafeString& s) {
  return out << s.text_;
}

std::istream& operator>>(std::istream& in, SafeString& s) {
  return in >> s.text_;
}

std::istream& GetLine(std::istream& in, SafeString& s, char delimiter) {
  return std::getline(in, s.text_, delimiter);
}
