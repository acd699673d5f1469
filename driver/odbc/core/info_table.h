// Where each SQLGetInfo answer comes from: its kind, and the login record,
// driver constant or server question that gives its value.
#pragma once

#include <cstdint>

#include "wire/info_types.h"

struct DrvConn;

enum InfoSource : uint16_t {
  kFromNothing = 0,
  kFromServerText,  // a text of the server information block
  kFromLoginLong,   // a u32 of the 154-byte record
  kFromLoginShort,  // a u16 of the 154-byte record
  kFromLoginMask,   // a u32 of the 96-byte record
  kFromConstant,
  kFromDsnKeyword,
  kFromServer,  // asked of the server each time
  kFromHandle,  // a handle of the driver's own
};

struct InfoEntry {
  InfoKind kind;
  InfoSource source;
  uint16_t index;  // position in the record of `source`
};

// The entry of an information type; kind kInfoNone when it has none.
InfoEntry InfoEntryOf(uint16_t info_type);

// The text of position `index` of the server information block (0 to 26).
const char* ServerInfoText(const DrvConn* connection, uint16_t index);
