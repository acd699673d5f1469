#include "wire/pair_list.h"

#include "wire/counted_list.h"

int XdrPutPair(MsgBuf* buf, const LnaPair* p) {
  return MsgBufPutI32(buf, p->first) && MsgBufPutI32(buf, p->second);
}

int XdrGetPair(MsgBuf* buf, LnaPair* p) {
  return MsgBufGetI32(buf, &p->first) && MsgBufGetI32(buf, &p->second);
}

int XdrPutPairArray(MsgBuf* buf, const LnaPairList* list) {
  return XdrPutCountedList(buf, list->count, list->pairs, MsgBufPutElem<XdrPutPair>,
                           sizeof(LnaPair));
}

int XdrGetPairArray(MsgBuf* buf, LnaPairList* list) {
  void* pairs;
  int ok = XdrGetCountedList(buf, &list->count, &pairs, MsgBufGetElem<XdrGetPair>, sizeof(LnaPair),
                             nullptr);
  list->pairs = static_cast<LnaPair*>(pairs);
  return ok;
}

void XdrFreePairList(LnaPairList* list) {
  MsgBufFreeArray(list->pairs, sizeof(LnaPair), nullptr);
  list->pairs = nullptr;
  list->count = 0;
}
