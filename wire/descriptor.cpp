#include "wire/descriptor.h"

#include "wire/counted_list.h"
#include "wire/xdr_fields.h"

int XdrPutDescriptor(MsgBuf* buf, const LnaDescriptor* d) {
  return MsgBufPutU16(buf, d->number) && MsgBufPutU16(buf, d->param_type) &&
         XdrPutI16(buf, d->sql_type) && MsgBufPutI32(buf, d->precision) &&
         XdrPutI16(buf, d->scale) && MsgBufPutI32(buf, d->buffer_size) &&
         XdrPutTypedValue(buf, &d->value);
}

int XdrGetDescriptor(MsgBuf* buf, LnaDescriptor* d) {
  return MsgBufGetU16(buf, &d->number) && MsgBufGetU16(buf, &d->param_type) &&
         XdrGetI16(buf, &d->sql_type) && MsgBufGetI32(buf, &d->precision) &&
         XdrGetI16(buf, &d->scale) && MsgBufGetI32(buf, &d->buffer_size) &&
         XdrTypedValue(buf, &d->value);
}

void XdrFreeDescriptor(LnaDescriptor* d) {
  XdrFreeTypedValue(&d->value);
}

int XdrParamDesc(MsgBuf* buf, const LnaDescList* list) {
  return XdrPutCountedList(buf, list->count, list->descs, MsgBufPutElem<XdrPutDescriptor>,
                           sizeof(LnaDescriptor));
}

int XdrGetDescArray(MsgBuf* buf, LnaDescList* list) {
  void* descs;
  int ok = XdrGetCountedList(buf, &list->count, &descs, MsgBufGetElem<XdrGetDescriptor>,
                             sizeof(LnaDescriptor), MsgBufRelease<XdrFreeDescriptor>);
  list->descs = static_cast<LnaDescriptor*>(descs);
  return ok;
}

void XdrFreeDescList(LnaDescList* list) {
  MsgBufFreeArray(list->descs, sizeof(LnaDescriptor), MsgBufRelease<XdrFreeDescriptor>);
  list->descs = nullptr;
  list->count = 0;
}
