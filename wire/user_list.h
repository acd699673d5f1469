// The users a server reports to the administrative listing: one 460-byte
// record per user, grouped in list elements of a u16 count and the records.
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

// The fields' meanings are the server's; the layout is the wire's.
struct LnaUserRecord {
  char text1[65];
  char text2[33];
  char text3[256];
  char text4[21];
  char text5[65];
  uint16_t word;
  int32_t number[4];
};

struct LnaUserList {
  uint16_t count;
  LnaUserRecord* users;
};

int XdrUserRecord(MsgBuf* buf, LnaUserRecord* u);
int XdrPutUserRecord(MsgBuf* buf, const LnaUserRecord* u);

// A count larger than the records that came fails with 202; on failure
// nothing stays allocated.
int XdrUserList(MsgBuf* buf, LnaUserList* list);
int XdrPutUserList(MsgBuf* buf, const LnaUserList* list);
void XdrFreeUserList(LnaUserList* list);
