#include "setup/setup_module.h"

#include "common/messages.h"
#include "setup/setup_codes.h"
#include "setup/setup_message_table.h"

namespace {

PlatModule g_instance = nullptr;
bool g_attached = false;
char* g_default_name = nullptr;
char* g_odbc_ini = nullptr;

}  // namespace

void SetupAttach(PlatModule self) {
  if (g_attached) return;
  g_attached = true;
  g_instance = self;
  OpenSetupMessages();
  g_default_name = MsgAllocText(0, kCfgDefault);
  g_odbc_ini = MsgAllocText(0, kCfgOdbcIni);
}

void SetupDetach() {
  if (!g_attached) return;
  CloseSetupMessages();
  MsgFreeText(g_default_name);
  MsgFreeText(g_odbc_ini);
  g_default_name = nullptr;
  g_odbc_ini = nullptr;
  g_attached = false;
}

PlatModule GetModuleInstance() {
  return g_instance;
}

int OpenSetupMessages() {
  return MsgLoadCatalog(kSetupMessages, "clientconfig_messages.xml", kMsgBesideModule, g_instance);
}

void CloseSetupMessages() {
  MsgReleaseCatalog();
}

const char* SetupDefaultName() {
  return g_default_name != nullptr ? g_default_name : "Default";
}

const char* SetupOdbcIniName() {
  return g_odbc_ini != nullptr ? g_odbc_ini : "ODBC.INI";
}
