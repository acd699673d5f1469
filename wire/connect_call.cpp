#include "wire/connect_call.h"

#include <algorithm>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "wire/counted_array.h"

namespace {

// A list longer than its u16 count can say is sent cut to what the count
// says, so that array and count agree.
template <typename T>
uint16_t CountOf(const std::vector<T>& items) {
  return static_cast<uint16_t>(std::min<size_t>(items.size(), UINT16_MAX));
}

// As the client reads it: the records that came and the count as stated.
template <typename T>
int GetCounted(MsgBuf* buf, std::vector<T>* items, uint16_t* count, MsgBufGetFn get) {
  items->clear();
  void* array = nullptr;
  uint32_t received = 0;
  if (!MsgBufGetArray(buf, &array, get, sizeof(T), &received)) return 0;
  auto* first = static_cast<T*>(array);
  items->assign(first, first + received);
  MemFree(array);
  return MsgBufGetU16(buf, count);
}

// kConnectFunctionFlags u16, without a count.
int PutFunctionFlags(MsgBuf* buf, const std::array<uint16_t, kConnectFunctionFlags>& flags) {
  for (uint16_t f : flags) {
    if (!MsgBufPutU16(buf, f)) return 0;
  }
  return 1;
}

}  // namespace

int Encode(MsgBuf* buf, const ConnectRequest& request) {
  return MsgBufPutI32(buf, static_cast<int32_t>(request.text.size())) &&
         MsgBufPutBytes(buf, request.text.data(), static_cast<uint32_t>(request.text.size())) &&
         MsgBufPutI32(buf, request.output_size);
}

int Decode(MsgBuf* buf, ConnectRequest* request) {
  int32_t n = 0;
  if (!MsgBufGetI32(buf, &n)) return 0;
  if (n < 2 || n > kConnectMaxText) {
    TlsSlotSet(kWireErrBadRead);
    return 0;
  }
  request->text.resize(static_cast<size_t>(n));
  return MsgBufGetBytes(buf, request->text.data(), static_cast<uint32_t>(n)) &&
         MsgBufGetI32(buf, &request->output_size);
}

int Encode(MsgBuf* buf, const ConnectReply& reply) {
  return MsgBufPutI32(buf, reply.connection_id) && MsgBufPutU16(buf, reply.cancel_key) &&
         MsgBufPutI32(buf, static_cast<int32_t>(reply.text.size())) &&
         MsgBufPutBytes(buf, reply.text.data(), static_cast<uint32_t>(reply.text.size())) &&
         MsgBufPutU32(buf, reply.extra) && XdrPutServerInfo(buf, &reply.info) &&
         XdrPutLoginInfo154(buf, &reply.info154) && XdrPutLoginInfo96(buf, &reply.info96) &&
         PutCountedArray(buf, reply.types.data(), CountOf(reply.types),
                         MsgBufPutElem<XdrPutTypeInfo>) &&
         PutCountedArray(buf, reply.table_types.data(), CountOf(reply.table_types),
                         MsgBufPutElem<XdrPutTableType>) &&
         PutFunctionFlags(buf, reply.functions) && XdrPutConnectResult(buf, &reply.result) &&
         XdrPutLoginInfo52(buf, &reply.info52);
}

int Decode(MsgBuf* buf, ConnectReply* reply) {
  int32_t echoed_length;
  return MsgBufGetI32(buf, &reply->connection_id) && MsgBufGetU16(buf, &reply->cancel_key) &&
         MsgBufGetI32(buf, &echoed_length) &&
         MsgBufGetBytes(buf, reply->text.data(), static_cast<uint32_t>(reply->text.size())) &&
         MsgBufGetU32(buf, &reply->extra) && XdrServerInfo(buf, &reply->info) &&
         XdrLoginInfo154(buf, &reply->info154) && XdrLoginInfo96(buf, &reply->info96) &&
         GetCounted(buf, &reply->types, &reply->type_count, MsgBufGetElem<XdrTypeInfo>) &&
         GetCounted(buf, &reply->table_types, &reply->table_type_count,
                    MsgBufGetElem<XdrTableType>) &&
         MsgBufEachElem(buf, reply->functions.data(), MsgBufGetElem<MsgBufGetU16>, sizeof(uint16_t),
                        kConnectFunctionFlags) &&
         XdrConnectResult(buf, &reply->result) && XdrLoginInfo52(buf, &reply->info52);
}
