#include "driver/odbc/diag/trace_mask.h"

#include <cctype>
#include <cstring>

#include "common/str_util.h"

std::string MaskPasswordValue(const char* text) {
  if (text == nullptr) return "NULL";
  std::string masked(text);
  size_t item = 0;
  while (item < masked.size()) {
    size_t key = item;
    while (key < masked.size() && std::isspace(static_cast<unsigned char>(masked[key]))) ++key;
    size_t end = masked.find(';', item);
    if (end == std::string::npos) end = masked.size();
    if (end - key > 3 && StrCaseNCompare(masked.c_str() + key, "PWD", 3) == 0) {
      size_t equals = key + 3;
      while (equals < end && std::isspace(static_cast<unsigned char>(masked[equals]))) ++equals;
      if (equals < end && masked[equals] == '=') {
        for (size_t i = equals + 1; i < end; ++i) masked[i] = '*';
      }
    }
    item = end + 1;
  }
  return masked;
}

std::string MaskedPassword(const char* password) {
  if (password == nullptr) return "NULL";
  return std::string(std::strlen(password), '*');
}
