#include "driver/lna/lna_param_values.h"

#include <cstring>

#include "common/memory.h"

namespace {

constexpr int32_t kDataAtExec = -2;
constexpr int32_t kLowestPlainLength = -100;

bool KnownCType(int16_t c_type) {
  return c_type >= kCTypeUTinyInt && c_type <= kCTypeTimestamp;
}

void FillCommon(const ParamValueEntry& entry, LnaDescriptor* d) {
  d->number = entry.number;
  d->param_type = entry.param_type;
  d->sql_type = entry.sql_type;
  d->precision = static_cast<int32_t>(entry.column_size);
  d->scale = entry.scale;
  d->buffer_size = entry.buffer_length;
  d->value.c_type = entry.c_type;
  d->value.length = entry.value_length;
}

LnaDescriptor* NewDescs(uint16_t count) {
  return count > 0 ? static_cast<LnaDescriptor*>(MemAlloc(sizeof(LnaDescriptor) * count)) : nullptr;
}

}  // namespace

void CopyFixedValue(const ParamValueEntry& entry, LnaTypedValue* out) {
  if (!KnownCType(entry.c_type) || entry.value == nullptr) return;
  if (entry.c_type == kCTypeChar || entry.c_type == kCTypeBinary) {
    out->value.text = static_cast<char*>(entry.value);
    return;
  }
  int32_t size = CTypeFixedSize(entry.c_type);
  if (size > 0) std::memcpy(out->value.raw, entry.value, static_cast<size_t>(size));
}

int CopyTypedValue(LnaTypedValue* received, int16_t c_type, void* buffer, int32_t buffer_size) {
  if (received->c_type != c_type) {
    XdrFreeTypedValue(received);
    return 0;
  }
  if (KnownCType(c_type) && buffer != nullptr) {
    size_t room = buffer_size > 0 ? static_cast<size_t>(buffer_size) : 0;
    if (c_type == kCTypeChar) {
      size_t n = 0;
      if (received->value.text != nullptr && received->length > 0)
        n = strnlen(received->value.text, static_cast<size_t>(received->length));
      if (room > 0) {
        if (n > room - 1) n = room - 1;
        // An empty last piece of a long value comes without any bytes.
        if (n > 0) std::memcpy(buffer, received->value.text, n);
        static_cast<char*>(buffer)[n] = '\0';
      }
    } else if (c_type == kCTypeBinary) {
      size_t n = received->length > 0 ? static_cast<size_t>(received->length) : 0;
      if (n > room) n = room;
      if (n > 0 && received->value.bytes != nullptr) std::memcpy(buffer, received->value.bytes, n);
    } else {
      int32_t size = CTypeFixedSize(c_type);
      if (size > 0) std::memcpy(buffer, received->value.raw, static_cast<size_t>(size));
    }
  }
  XdrFreeTypedValue(received);
  return 1;
}

int LnaBuildParamDescs(uint16_t count, const ParamValueEntry* entries, LnaDescList* out) {
  *out = LnaDescList{};
  if (count == 0 || entries == nullptr) return 1;
  LnaDescriptor* descs = NewDescs(count);
  if (descs == nullptr) return 0;
  for (uint16_t i = 0; i < count; ++i) {
    const ParamValueEntry& e = entries[i];
    LnaDescriptor& d = descs[i];
    FillCommon(e, &d);
    if (e.value_length != kValueNull && e.value_length != kDataAtExec &&
        e.value_length > kLowestPlainLength) {
      CopyFixedValue(e, &d.value);
      if (e.value_length == 0 && CTypeFixedSize(e.c_type) > 0)
        d.value.length = CTypeFixedSize(e.c_type);
    }
  }
  out->count = count;
  out->descs = descs;
  return 1;
}

int LnaBuildColumnDescs(uint16_t count, const ParamValueEntry* entries, LnaDescList* out) {
  *out = LnaDescList{};
  if (count == 0 || entries == nullptr) return 1;
  LnaDescriptor* descs = NewDescs(count);
  if (descs == nullptr) return 0;
  for (uint16_t i = 0; i < count; ++i) {
    FillCommon(entries[i], &descs[i]);
    descs[i].value.value.u16 = entries[i].value == nullptr ? 1 : 0;
  }
  out->count = count;
  out->descs = descs;
  return 1;
}

int LnaKeepColumnDescs(uint16_t count, ParamValueEntry* entries, LnaDescList* returned) {
  if (entries == nullptr || returned->descs == nullptr) return 1;
  int all_kept = 1;
  uint16_t n = count < returned->count ? count : returned->count;
  for (uint16_t i = 0; i < n; ++i) {
    LnaTypedValue& v = returned->descs[i].value;
    if (v.length == kValueNull) continue;
    int32_t length = v.length;
    if (!CopyTypedValue(&v, entries[i].c_type, entries[i].value, entries[i].buffer_length)) {
      all_kept = 0;
      continue;
    }
    entries[i].value_length = length;
  }
  return all_kept;
}

void LnaFreeDescs(LnaDescList* params, LnaDescList* columns, LnaDescList* returned) {
  // The built lists borrow the callers' texts: only the arrays are freed.
  MemFree(params->descs);
  *params = LnaDescList{};
  MemFree(columns->descs);
  *columns = LnaDescList{};
  XdrFreeDescList(returned);
}
