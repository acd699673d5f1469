// Marks the functions the driver library exports by name; the library's
// export list (vel_export_only) keeps every other symbol inside it.
#pragma once

#define VEL_LNA_EXPORT extern "C" __attribute__((visibility("default")))
