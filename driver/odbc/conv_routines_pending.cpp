// Routines whose family is not in the driver yet. Their cells are already in
// the matrix, so the set of supported conversions is fixed; converting
// through one of them fails with a general error instead of pretending to
// succeed. Each family's file replaces its line below.
#include "driver/odbc/conv_routines.h"

namespace {

// No routine result has this value: the dispatcher reports it as a failure.
constexpr int32_t kRoutineNotBuilt = -99;

}  // namespace

#define VEL_CONV_ROUTINE_PENDING(name)                                                   \
  int32_t name(const void*, int16_t, int32_t, void*, int16_t, int32_t, int32_t, int16_t, \
               int32_t*) {                                                               \
    return kRoutineNotBuilt;                                                             \
  }

VEL_CONV_DATETIME_ROUTINES(VEL_CONV_ROUTINE_PENDING)
