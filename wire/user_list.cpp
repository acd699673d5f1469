#include "wire/user_list.h"

#include "wire/counted_list.h"
#include "wire/xdr_fields.h"

int XdrUserRecord(MsgBuf* buf, LnaUserRecord* u) {
  return XdrGetField(buf, u->text1) && XdrGetField(buf, u->text2) && XdrGetField(buf, u->text3) &&
         XdrGetField(buf, u->text4) && XdrGetField(buf, u->text5) && MsgBufGetU16(buf, &u->word) &&
         MsgBufGetI32(buf, &u->number[0]) && MsgBufGetI32(buf, &u->number[1]) &&
         MsgBufGetI32(buf, &u->number[2]) && MsgBufGetI32(buf, &u->number[3]);
}

int XdrPutUserRecord(MsgBuf* buf, const LnaUserRecord* u) {
  return XdrPutField(buf, u->text1) && XdrPutField(buf, u->text2) && XdrPutField(buf, u->text3) &&
         XdrPutField(buf, u->text4) && XdrPutField(buf, u->text5) && MsgBufPutU16(buf, u->word) &&
         MsgBufPutI32(buf, u->number[0]) && MsgBufPutI32(buf, u->number[1]) &&
         MsgBufPutI32(buf, u->number[2]) && MsgBufPutI32(buf, u->number[3]);
}

int XdrUserList(MsgBuf* buf, LnaUserList* list) {
  void* users;
  int ok = XdrGetCountedList(buf, &list->count, &users, MsgBufGetElem<XdrUserRecord>,
                             sizeof(LnaUserRecord), nullptr);
  list->users = static_cast<LnaUserRecord*>(users);
  return ok;
}

int XdrPutUserList(MsgBuf* buf, const LnaUserList* list) {
  return XdrPutCountedList(buf, list->count, list->users, MsgBufPutElem<XdrPutUserRecord>,
                           sizeof(LnaUserRecord));
}

void XdrFreeUserList(LnaUserList* list) {
  MsgBufFreeArray(list->users, sizeof(LnaUserRecord), nullptr);
  list->users = nullptr;
  list->count = 0;
}
