// A byte string that turns running out of memory into a flag instead of an
// exception: code that builds a text tests Failed() once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

class SafeString {
 public:
  // Empty text.
  SafeString() noexcept;
  // Copies the text; the flag starts clear. Allocation failure throws.
  SafeString(const SafeString& other);
  // Takes the text and the flag of `other`, which is left empty.
  SafeString(SafeString&& other) noexcept;
  // Copies up to the NUL (a null pointer is an empty text). Allocation
  // failure throws.
  SafeString(const char* text);
  // Copies exactly `length` characters; allocation failure sets the flag and
  // leaves the text empty.
  SafeString(const char* text, size_t length) noexcept;
  ~SafeString() = default;

  // The same as Assign: the flag of `other` is not copied.
  SafeString& operator=(const SafeString& other) noexcept { return Assign(other); }

  size_t Length() const noexcept { return text_.size(); }
  size_t MaxSize() const noexcept { return text_.max_size(); }
  bool IsEmpty() const noexcept { return text_.empty(); }
  // Set by any operation whose allocation failed; never cleared.
  bool Failed() const noexcept { return failed_ != 0; }
  const char* CStr() const noexcept { return text_.c_str(); }

  // Every operation below catches allocation failure into the flag. C string
  // arguments are read up to their NUL; a null pointer counts as empty.
  SafeString& Assign(const SafeString& other) noexcept;
  SafeString& Assign(const char* text) noexcept;
  SafeString& Swap(SafeString& other) noexcept;
  SafeString& Append(const SafeString& other) noexcept;
  SafeString& AppendChars(const char* text) noexcept;
  // Appends the number as "%d" prints it.
  SafeString& AppendNumber(int32_t number) noexcept;
  // Inserts before `position`; a position past the end throws out_of_range.
  SafeString& Insert(size_t position, const SafeString& other);
  SafeString& Insert(size_t position, const char* text);
  SafeString& Clear() noexcept;
  // Erases up to `count` characters from `position` (past the end throws
  // out_of_range).
  SafeString& Erase(size_t position, size_t count);

  // Byte order: unsigned bytes over the shorter length, then the shorter
  // text first. The flag plays no part.
  int Compare(const SafeString& other) const noexcept;
  int Compare(const char* text) const noexcept;

  // The stream operators behave as the standard string's own.
  friend std::ostream& operator<<(std::ostream& out, const SafeString& s);
  friend std::istream& operator>>(std::istream& in, SafeString& s);
  friend std::istream& GetLine(std::istream& in, SafeString& s, char delimiter);

 private:
  std::string text_;
  uint8_t failed_ = 0;
};

void swap(SafeString& a, SafeString& b) noexcept;

inline bool operator==(const SafeString& a, const SafeString& b) {
  return a.Compare(b) == 0;
}
inline bool operator!=(const SafeString& a, const SafeString& b) {
  return a.Compare(b) != 0;
}
inline bool operator<(const SafeString& a, const SafeString& b) {
  return a.Compare(b) < 0;
}
inline bool operator>(const SafeString& a, const SafeString& b) {
  return a.Compare(b) > 0;
}
inline bool operator<=(const SafeString& a, const SafeString& b) {
  return a.Compare(b) <= 0;
}
inline bool operator>=(const SafeString& a, const SafeString& b) {
  return a.Compare(b) >= 0;
}

inline bool operator==(const SafeString& a, const char* b) {
  return a.Compare(b) == 0;
}
inline bool operator!=(const SafeString& a, const char* b) {
  return a.Compare(b) != 0;
}
inline bool operator<(const SafeString& a, const char* b) {
  return a.Compare(b) < 0;
}
inline bool operator>(const SafeString& a, const char* b) {
  return a.Compare(b) > 0;
}
inline bool operator<=(const SafeString& a, const char* b) {
  return a.Compare(b) <= 0;
}
inline bool operator>=(const SafeString& a, const char* b) {
  return a.Compare(b) >= 0;
}

inline bool operator==(const char* a, const SafeString& b) {
  return b.Compare(a) == 0;
}
inline bool operator!=(const char* a, const SafeString& b) {
  return b.Compare(a) != 0;
}
inline bool operator<(const char* a, const SafeString& b) {
  return b.Compare(a) > 0;
}
inline bool operator>(const char* a, const SafeString& b) {
  return b.Compare(a) < 0;
}
inline bool operator<=(const char* a, const SafeString& b) {
  return b.Compare(a) >= 0;
}
inline bool operator>=(const char* a, const SafeString& b) {
  return b.Compare(a) <= 0;
}

// Writes the characters.
std::ostream& operator<<(std::ostream& out, const SafeString& s);
// Replaces the text by the next whitespace-delimited word.
std::istream& operator>>(std::istream& in, SafeString& s);
// Replaces the text by the characters up to `delimiter`, which is consumed
// and not stored.
std::istream& GetLine(std::istream& in, SafeString& s, char delimiter = '\n');
