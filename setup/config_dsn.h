// ConfigDSN: adds, configures or removes a data source of the driver,
// silently from the attribute list when no window is given, else through
// the configuration dialog.
#pragma once

#include <cstdint>

// The call's result code (0 done, 1 cancelled, else the message number)
// and the text the message is shown with.
struct ConfigOutcome {
  uint32_t code;
  char argument[516];
};

// Requests 1 (add), 2 (configure) and 3 (remove) in the installer's current
// configuration mode (user data sources when it is "both"), 4 to 6 the same
// for system data sources; any other request is refused. The mode is the
// same again on return.
ConfigOutcome RunConfigDsn(void* parent, uint16_t request, const char* driver,
                           const char* attributes);

// The export's body: RunConfigDsn, the message box for a failure when a
// window was given, and the failure's text posted on the installer's error
// list. True for codes 0 and 1.
bool ConfigDsnEntry(void* parent, uint16_t request, const char* driver, const char* attributes);
