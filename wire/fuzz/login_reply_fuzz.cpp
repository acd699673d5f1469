// The login reply, field by field in its order. The first two input bytes
// choose the length of the scrambled text the request sent (2 to 512),
// which the reply echoes; the rest is the reply.
#include "wire/fuzz/fuzz_reply.h"
#include "wire/login_records.h"
#include "wire/table_type.h"
#include "wire/type_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  uint32_t text_length = 2 + ((uint32_t{data[0]} << 8 | data[1]) % 511);
  FuzzReply(data + 2, size - 2, [text_length](MsgBuf* buf) {
    int32_t conn_id, echoed_length;
    uint16_t cancel_key, type_count, table_type_count;
    uint32_t extra;
    uint8_t text[512];
    LnaServerInfo info{};
    LnaLoginInfo154 info154{};
    LnaLoginInfo96 info96{};
    uint16_t functions[100];
    LnaConnectResult result{};
    LnaLoginInfo52 info52{};
    void* types = nullptr;
    void* table_types = nullptr;
    int ok = MsgBufGetI32(buf, &conn_id) && MsgBufGetU16(buf, &cancel_key) &&
             MsgBufGetI32(buf, &echoed_length) && MsgBufGetBytes(buf, text, text_length) &&
             MsgBufGetU32(buf, &extra) && XdrServerInfo(buf, &info) &&
             XdrLoginInfo154(buf, &info154) && XdrLoginInfo96(buf, &info96) &&
             MsgBufGetArray(buf, &types, MsgBufGetElem<XdrTypeInfo>, sizeof(LnaTypeInfo)) &&
             MsgBufGetU16(buf, &type_count) &&
             MsgBufGetArray(buf, &table_types, MsgBufGetElem<XdrTableType>, sizeof(LnaTableType)) &&
             MsgBufGetU16(buf, &table_type_count) &&
             MsgBufEachElem(buf, static_cast<void*>(functions), MsgBufGetElem<MsgBufGetU16>,
                            sizeof(uint16_t), 100) &&
             XdrConnectResult(buf, &result) && XdrLoginInfo52(buf, &info52);
    MsgBufFreeArray(types, sizeof(LnaTypeInfo), nullptr);
    MsgBufFreeArray(table_types, sizeof(LnaTableType), nullptr);
    return ok;
  });
  return 0;
}
