// A translation library for the tests: upper-cases text on its way to the
// data source. Option 2 doubles the text (a result longer than its
// source); option 99 refuses with a message. Built a second time without
// SQLDataSourceToDriver, as a library the driver must refuse.
#include <sql.h>
#include <sqlext.h>

#include <cctype>
#include <cstring>

namespace {

constexpr UDWORD kDouble = 2;
constexpr UDWORD kRefuse = 99;

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL SQL_API SQLDriverToDataSource(
    UDWORD option, SWORD, PTR in, SDWORD in_length, PTR out, SDWORD out_max, SDWORD* out_length,
    UCHAR* message, SWORD message_max, SWORD* message_length) {
  if (option == kRefuse) {
    const char text[] = "Translation refused by the test library";
    SWORD n = static_cast<SWORD>(sizeof text - 1);
    if (n > message_max) n = message_max;
    std::memcpy(message, text, static_cast<size_t>(n));
    *message_length = n;
    return 0;
  }
  const auto* source = static_cast<const char*>(in);
  auto* target = static_cast<char*>(out);
  const SDWORD copies = option == kDouble ? 2 : 1;
  *out_length = in_length * copies;
  for (SDWORD i = 0; i < in_length * copies && i < out_max; ++i)
    target[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(source[i % in_length])));
  return 1;
}

#ifndef VEL_XLAT_WITHOUT_TO_DRIVER
extern "C" __attribute__((visibility("default"))) BOOL SQL_API
SQLDataSourceToDriver(UDWORD, SWORD, PTR in, SDWORD in_length, PTR out, SDWORD out_max,
                      SDWORD* out_length, UCHAR*, SWORD, SWORD*) {
  SDWORD n = in_length < out_max ? in_length : out_max;
  std::memcpy(out, in, static_cast<size_t>(n));
  *out_length = in_length;
  return 1;
}
#endif
