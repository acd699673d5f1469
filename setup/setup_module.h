// What the setup library keeps from its first load to its unload: its own
// module, its message catalogue and two texts read from it.
#pragma once

#include "platform/module.h"

// Process attach: keeps the module (only the first time), opens the
// catalogue and fetches the two texts. Detach undoes it.
void SetupAttach(PlatModule self);
void SetupDetach();

// The kept module; null before attach.
PlatModule GetModuleInstance();

// The catalogue over the built-in table, texts from "clientconfig_messages.xml"
// beside the library when there is one. 1 on success.
int OpenSetupMessages();
void CloseSetupMessages();

// The name of the data source "Default" and the installer's file name for
// data sources ("ODBC.INI"), both from the catalogue; the built-in texts
// before attach.
const char* SetupDefaultName();
const char* SetupOdbcIniName();
