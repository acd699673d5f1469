#include "wire/server_list_calls.h"

#include "common/tls_slot.h"

int Encode(MsgBuf* buf, const ServerListRequest& request) {
  return EncodeText(buf, request.client) && MsgBufPutI32(buf, request.size);
}
int Decode(MsgBuf* buf, ServerListRequest* request) {
  return DecodeText(buf, &request->client) && MsgBufGetI32(buf, &request->size);
}

int Encode(MsgBuf* buf, const ServerListReply& reply) {
  return EncodeText(buf, reply.list);
}
int Decode(MsgBuf* buf, ServerListReply* reply) {
  return DecodeText(buf, &reply->list);
}

int Encode(MsgBuf* buf, const DataSourcesReply& reply) {
  if (reply.bytes.size() > INT32_MAX) {
    TlsSlotSet(kWireErrCannotGrow);
    return 0;
  }
  auto n = static_cast<uint32_t>(reply.bytes.size());
  return MsgBufPutI32(buf, static_cast<int32_t>(n)) && MsgBufPutBytes(buf, reply.bytes.data(), n);
}
int Decode(MsgBuf* buf, DataSourcesReply* reply) {
  reply->bytes.clear();
  int32_t n;
  if (!MsgBufGetI32(buf, &n)) return 0;
  if (n < 0 || buf->write_len - buf->read_pos < static_cast<uint32_t>(n)) {
    TlsSlotSet(kWireErrBadRead);
    return 0;
  }
  reply->bytes.assign(reinterpret_cast<const char*>(buf->data + buf->read_pos),
                      static_cast<size_t>(n));
  buf->read_pos += static_cast<uint32_t>(n);
  return 1;
}
