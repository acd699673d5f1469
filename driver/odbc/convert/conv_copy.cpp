// Same-size copies: the cells whose source and target share one layout,
// and the binary cells of real and double in both directions.
#include <cstring>

#include "driver/odbc/convert/conv_routines.h"
#include "driver/odbc/convert/conv_write.h"

namespace {

template <size_t kSize>
int32_t CopyBytes(const void* source, int16_t source_class, int32_t source_length, void* target,
                  int16_t target_class, int32_t target_length, int32_t* out_length) {
  // A binary source is only as long as it says: a shorter one holds no
  // value of this size.
  if (source_class == kConvBinary &&
      (source_length < 0 || static_cast<size_t>(source_length) < kSize)) {
    return kConvInvalidText;
  }
  if (!FixedTargetFits(target, target_class, target_length, kSize)) return kConvOutOfRange;
  std::memcpy(target, source, kSize);
  *out_length = static_cast<int32_t>(kSize);
  return kConvOk;
}

}  // namespace

int32_t Copy1(const void* source, int16_t source_class, int32_t source_length, void* target,
              int16_t target_class, int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return CopyBytes<1>(source, source_class, source_length, target, target_class, target_length,
                      out_length);
}

int32_t Copy2(const void* source, int16_t source_class, int32_t source_length, void* target,
              int16_t target_class, int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return CopyBytes<2>(source, source_class, source_length, target, target_class, target_length,
                      out_length);
}

int32_t Copy4(const void* source, int16_t source_class, int32_t source_length, void* target,
              int16_t target_class, int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return CopyBytes<4>(source, source_class, source_length, target, target_class, target_length,
                      out_length);
}

int32_t Copy8(const void* source, int16_t source_class, int32_t source_length, void* target,
              int16_t target_class, int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return CopyBytes<8>(source, source_class, source_length, target, target_class, target_length,
                      out_length);
}
