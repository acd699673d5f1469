#include "driver/odbc/diag/trace_mask.h"

#include <cstring>

#include "driver/lna/lna_conn_attr.h"

std::string MaskPasswordValue(const char* text) {
  if (text == nullptr) return "NULL";
  std::string masked(text);
  MaskConnPassword(masked.data());
  return masked;
}

std::string MaskedPassword(const char* password) {
  if (password == nullptr) return "NULL";
  return std::string(std::strlen(password), '*');
}
