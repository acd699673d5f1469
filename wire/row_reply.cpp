#include "wire/row_reply.h"

#include "common/memory.h"
#include "wire/xdr_fields.h"

int XdrRowBlock(MsgBuf* buf, LnaRowBlock* block) {
  block->bytes = nullptr;
  block->data_length = 0;
  return XdrGetI16(buf, &block->status) && MsgBufGetU16(buf, &block->count) &&
         MsgBufGetU32(buf, &block->byte_count) &&
         MsgBufGetByteArray(buf, &block->bytes, &block->data_length);
}

int XdrPutRowBlock(MsgBuf* buf, const LnaRowBlock* block) {
  return XdrPutI16(buf, block->status) && MsgBufPutU16(buf, block->count) &&
         MsgBufPutU32(buf, block->byte_count) && XdrPutBytes(buf, block->bytes, block->data_length);
}

void XdrFreeRowBlock(LnaRowBlock* block) {
  MemFree(block->bytes);
  block->bytes = nullptr;
  block->data_length = 0;
}

int XdrSizedBytes(MsgBuf* buf, LnaSizedRow* row) {
  row->bytes = nullptr;
  row->data_length = 0;
  return MsgBufGetI32(buf, &row->size) && MsgBufGetByteArray(buf, &row->bytes, &row->data_length);
}

int XdrPutSizedBytes(MsgBuf* buf, const LnaSizedRow* row) {
  return MsgBufPutI32(buf, row->size) && XdrPutBytes(buf, row->bytes, row->data_length);
}

void XdrFreeSizedRow(LnaSizedRow* row) {
  MemFree(row->bytes);
  row->bytes = nullptr;
  row->data_length = 0;
}
