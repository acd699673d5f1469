// The calling thread's last system error as text, for error messages.
#pragma once

#include <cstddef>

// "Operating system LastError = <number>", cut to the buffer and always
// terminated within `size` bytes. A null buffer or size 0 gets nothing.
void FilOsErrorText(char* buffer, size_t size);
