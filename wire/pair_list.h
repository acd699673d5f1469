// The connection pair list of the administrative request that ends
// connections: a u16 count, then an array of pairs of i32.
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

struct LnaPair {
  int32_t first;
  int32_t second;
};

struct LnaPairList {
  uint16_t count;
  LnaPair* pairs;
};

int XdrPutPair(MsgBuf* buf, const LnaPair* p);
int XdrGetPair(MsgBuf* buf, LnaPair* p);

int XdrPutPairArray(MsgBuf* buf, const LnaPairList* list);
// A count larger than the pairs that came fails with 202; on failure
// nothing stays allocated.
int XdrGetPairArray(MsgBuf* buf, LnaPairList* list);
void XdrFreePairList(LnaPairList* list);
