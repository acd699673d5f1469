#include "driver/odbc/options/pending_options.h"

#include <sqlext.h>

#include <cstring>

#include "common/rec_array.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/message_ids.h"

namespace {

constexpr uint32_t kPendingGrowth = 4;

}  // namespace

int32_t AddPendingOption(DrvConn* connection, uint16_t option, uint16_t kind, uintptr_t value) {
  if (connection->pending_options == nullptr)
    connection->pending_options = ArrCreate(kPendingGrowth, sizeof(PendingOption), 0, 0);
  auto* pending = connection->pending_options != nullptr
                      ? static_cast<PendingOption*>(ArrAppendNew(connection->pending_options))
                      : nullptr;
  if (pending == nullptr) {
    PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
    return -1;
  }
  pending->option = option;
  pending->kind = kind;
  if (kind == kPendingText) {
    const char* text = reinterpret_cast<const char*>(value);
    size_t n = strnlen(text, kPendingTextSize - 1);
    std::memcpy(pending->text, text, n);
    pending->text[n] = '\0';
  } else {
    pending->value = static_cast<uint32_t>(value);
  }
  return 0;
}

void DropPendingOptions(DrvConn* connection) {
  ArrDestroy(connection->pending_options);
  connection->pending_options = nullptr;
}
