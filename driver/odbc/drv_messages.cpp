#include "driver/odbc/drv_messages.h"

#include "common/messages.h"
#include "driver/odbc/drv_message_table.h"
#include "driver/odbc/drv_module.h"

int DrvLoadMessages() {
  return MsgLoadCatalog(kDrvMessages, "velclient_messages.xml", kMsgBesideModule,
                        DrvModuleHandle());
}

void DrvReleaseMessages() {
  MsgReleaseCatalog();
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
