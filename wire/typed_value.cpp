#include "wire/typed_value.h"

#include <bit>
#include <cstring>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "wire/xdr_fields.h"

namespace {

int Fail(uint32_t code) {
  TlsSlotSet(code);
  return 0;
}

bool HasPayload(int32_t length) {
  return length != 0 && length != kValueNull;
}

bool TravelsAsString(const LnaTypedValue* v) {
  return v->length == kValueNullTerminated &&
         (v->c_type == kCTypeChar || v->c_type == kCTypeBinary);
}

// A text goes as a byte array of its length + 1 bytes, the last one its NUL.
// The NUL is written here rather than read from the caller, whose value may
// end right after its `length` bytes.
int PutText(MsgBuf* buf, const char* text, int32_t length) {
  if (text == nullptr || length < 0) return MsgBufPutI32(buf, -1);
  if (length == INT32_MAX) return Fail(kWireErrCannotGrow);
  if (!MsgBufPutI32(buf, length + 1)) return 0;
  if (!MsgBufPutBytes(buf, text, static_cast<uint32_t>(length))) return 0;
  return MsgBufPutU8(buf, 0);
}

// A text or binary payload. Whoever reads the value trusts its length, so
// the bytes that came must cover it (a text also its NUL); the text gets a
// NUL after its length and after everything that came, whatever the sender
// put there.
int GetPayload(MsgBuf* buf, LnaTypedValue* v, bool text) {
  int32_t n;
  if (!MsgBufGetI32(buf, &n)) return 0;
  if (n < 1) return 1;
  auto count = static_cast<uint32_t>(n);
  if (buf->write_len - buf->read_pos < count) return Fail(kWireErrBadRead);
  int64_t needed = text ? int64_t{v->length} + 1 : int64_t{v->length};
  if (v->length > 0 && count < needed) return Fail(kWireErrBadRead);
  auto* area = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(count) + (text ? 1 : 0)));
  if (area == nullptr) return Fail(kWireErrNoMemory);
  MsgBufGetBytes(buf, area, count);
  if (text && v->length >= 0) area[v->length] = 0;
  v->value.bytes = area;
  return 1;
}

}  // namespace

int32_t CTypeFixedSize(int16_t c_type) {
  switch (c_type) {
    case kCTypeUTinyInt:
    case kCTypeSTinyInt:
    case kCTypeBit:
    case kCTypeTinyInt:
      return 1;
    case kCTypeUShort:
    case kCTypeSShort:
    case kCTypeShort:
      return 2;
    case kCTypeULong:
    case kCTypeSLong:
    case kCTypeLong:
    case kCTypeFloat:
      return 4;
    case kCTypeDouble:
      return 8;
    case kCTypeDate:
    case kCTypeTime:
      return sizeof(uint16_t[3]);
    case kCTypeTimestamp:
      return sizeof(LnaTimestamp);
    default:
      return 0;
  }
}

int XdrDate(MsgBuf* buf, uint16_t* parts) {
  return MsgBufGetU16(buf, &parts[0]) && MsgBufGetU16(buf, &parts[1]) &&
         MsgBufGetU16(buf, &parts[2]);
}

int XdrPutDate(MsgBuf* buf, const uint16_t* parts) {
  return MsgBufPutU16(buf, parts[0]) && MsgBufPutU16(buf, parts[1]) && MsgBufPutU16(buf, parts[2]);
}

int XdrTimestamp(MsgBuf* buf, LnaTimestamp* ts) {
  return MsgBufGetU16(buf, &ts->year) && MsgBufGetU16(buf, &ts->month) &&
         MsgBufGetU16(buf, &ts->day) && MsgBufGetU16(buf, &ts->hour) &&
         MsgBufGetU16(buf, &ts->minute) && MsgBufGetU16(buf, &ts->second) &&
         MsgBufGetU32(buf, &ts->fraction);
}

int XdrPutTimestamp(MsgBuf* buf, const LnaTimestamp* ts) {
  return MsgBufPutU16(buf, ts->year) && MsgBufPutU16(buf, ts->month) &&
         MsgBufPutU16(buf, ts->day) && MsgBufPutU16(buf, ts->hour) &&
         MsgBufPutU16(buf, ts->minute) && MsgBufPutU16(buf, ts->second) &&
         MsgBufPutU32(buf, ts->fraction);
}

int XdrPutTypedValue(MsgBuf* buf, const LnaTypedValue* v) {
  if (!XdrPutI16(buf, v->c_type) || !MsgBufPutI32(buf, v->length)) return 0;
  if (!HasPayload(v->length)) return 1;
  if (TravelsAsString(v)) return MsgBufPutString(buf, v->value.text);
  const LnaValuePayload& p = v->value;
  switch (v->c_type) {
    case kCTypeUTinyInt:
    case kCTypeSTinyInt:
    case kCTypeBit:
    case kCTypeTinyInt:
      return MsgBufPutU8(buf, p.u8);
    case kCTypeULong:
    case kCTypeSLong:
    case kCTypeLong:
      return MsgBufPutI32(buf, p.i32);
    case kCTypeUShort:
    case kCTypeSShort:
    case kCTypeShort:
      return MsgBufPutU16(buf, p.u16);
    case kCTypeBinary:
      return MsgBufPutByteArray(buf, p.bytes, v->length);
    case kCTypeChar:
      return PutText(buf, p.text, v->length);
    case kCTypeFloat:
      return MsgBufPutU32(buf, std::bit_cast<uint32_t>(p.f32));
    case kCTypeDouble:
      return MsgBufPutI64(buf, std::bit_cast<int64_t>(p.f64));
    case kCTypeDate:
    case kCTypeTime:
      return XdrPutDate(buf, p.date);
    case kCTypeTimestamp:
      return XdrPutTimestamp(buf, &p.timestamp);
    default:
      return Fail(kWireErrCannotGrow);
  }
}

int XdrTypedValue(MsgBuf* buf, LnaTypedValue* v) {
  std::memset(v, 0, sizeof(*v));
  if (!XdrGetI16(buf, &v->c_type) || !MsgBufGetI32(buf, &v->length)) return 0;
  if (!HasPayload(v->length)) return 1;
  if (TravelsAsString(v)) return MsgBufGetString(buf, &v->value.text);
  LnaValuePayload& p = v->value;
  switch (v->c_type) {
    case kCTypeUTinyInt:
    case kCTypeSTinyInt:
    case kCTypeBit:
    case kCTypeTinyInt:
      return MsgBufGetBytes(buf, &p.u8, 1);
    case kCTypeULong:
    case kCTypeSLong:
    case kCTypeLong:
      return MsgBufGetI32(buf, &p.i32);
    case kCTypeUShort:
    case kCTypeSShort:
    case kCTypeShort:
      return MsgBufGetU16(buf, &p.u16);
    case kCTypeBinary:
      return GetPayload(buf, v, false);
    case kCTypeChar:
      return GetPayload(buf, v, true);
    case kCTypeFloat:
      return MsgBufGetU32(buf, &p.u32);
    case kCTypeDouble: {
      int64_t bits;
      if (!MsgBufGetI64(buf, &bits)) return 0;
      p.f64 = std::bit_cast<double>(bits);
      return 1;
    }
    case kCTypeDate:
    case kCTypeTime:
      return XdrDate(buf, p.date);
    case kCTypeTimestamp:
      return XdrTimestamp(buf, &p.timestamp);
    default:
      return Fail(kWireErrBadRead);
  }
}

void XdrFreeTypedValue(LnaTypedValue* v) {
  if (v->c_type != kCTypeChar && v->c_type != kCTypeBinary) return;
  MemFree(v->value.bytes);
  v->value.bytes = nullptr;
}
