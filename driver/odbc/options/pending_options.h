// Connection options an application sets before the connection exists:
// kept in order and sent to the server once the login succeeded.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvConn;

enum : uint16_t {
  kPendingText = 1,
  kPendingInteger = 4,
  kPendingPointer = 5,  // a pointer value the driver cannot read
};

constexpr uint32_t kPendingTextSize = 257;

struct PendingOption {
  uint16_t option;
  uint16_t kind;
  union {
    char text[kPendingTextSize];
    uint32_t value;
  };
};

// Appends an option (`value` the address of a text of less than
// kPendingTextSize bytes for kPendingText, else a 32-bit number), creating
// the list on first use. 0, or -1 with 5136 posted on the connection.
int32_t AddPendingOption(DrvConn* connection, uint16_t option, uint16_t kind, uintptr_t value);
// Forgets the list without sending it.
void DropPendingOptions(DrvConn* connection);
