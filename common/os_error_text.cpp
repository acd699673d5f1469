#include "common/os_error_text.h"

#include <cstdio>

#include "platform/file_system.h"

void FilOsErrorText(char* buffer, size_t size) {
  long error = PlatLastError();
  if (buffer == nullptr || size == 0) return;
  std::snprintf(buffer, size, "Operating system LastError = %ld", error);
}
