#include "server/fetch_shape.h"

#include "wire/fetch_shape.h"

namespace velsrv {

LnaFetchRequest ClientFetchShape(const LnaColumnDesc& c) {
  // The client reads the description's length and precision unsigned.
  FetchColumnForm form = SetupFetchColumn(c.sql_type, static_cast<uint32_t>(c.length),
                                          static_cast<uint32_t>(c.precision), c.scale);
  return {form.c_type, static_cast<int32_t>(form.size),
          form.long_column ? uint16_t{1} : uint16_t{0}};
}

}  // namespace velsrv
