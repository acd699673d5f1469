#include "driver/odbc/diag/drv_messages.h"

#include <cstring>

#include "common/memory.h"
#include "common/messages.h"
#include "driver/lna/lna_messages.h"
#include "driver/odbc/core/drv_module.h"
#include "driver/odbc/diag/drv_message_table.h"

namespace {

// The driver's rows followed by the remote-call client's, as one table for
// the catalogue, which borrows it until it is released.
MsgDefault* g_rows = nullptr;
// Loads not yet released; the catalogue goes, and the rows with it, when
// the last one is.
int g_loads = 0;

MsgDefault* JoinTables() {
  uint32_t own = MsgCountDefaults(kDrvMessages);
  uint32_t lna = MsgCountDefaults(kLnaMessages);
  auto* rows = static_cast<MsgDefault*>(MemAlloc(sizeof(MsgDefault) * (own + lna + 1)));
  if (rows == nullptr) return nullptr;
  std::memcpy(rows, kDrvMessages, sizeof(MsgDefault) * own);
  std::memcpy(rows + own, kLnaMessages, sizeof(MsgDefault) * lna);
  return rows;  // the zero-filled last row ends the table
}

}  // namespace

int DrvLoadMessages() {
  MsgDefault* rows = JoinTables();
  // Without memory for the joined table the driver's own rows still serve.
  int loaded = MsgLoadCatalog(rows != nullptr ? rows : kDrvMessages, "velclient_messages.xml",
                              kMsgBesideModule, DrvModuleHandle());
  // A load replaces the catalogue over the rows of an earlier one.
  MemFree(g_rows);
  g_rows = rows;
  if (loaded) ++g_loads;
  return loaded;
}

void DrvReleaseMessages() {
  MsgReleaseCatalog();
  if (--g_loads > 0) return;
  g_loads = 0;
  MemFree(g_rows);
  g_rows = nullptr;
}

char* DrvGetMessage(uint32_t number) {
  return MsgAllocText(0, number);
}

void DrvFreeMessage(char* text) {
  MsgFreeText(text);
}

int DrvMessageText(uint32_t number, char* buffer, size_t size) {
  return MsgGetText(number, buffer, size);
}
