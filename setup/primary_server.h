// The primary server typed into the configuration dialog, set against the
// server list before it replaces the first entry.
#pragma once

#include <cstdint>

#include "platform/dialog.h"
#include "setup/setup_context.h"

struct PrimaryChoice {
  char servers[kAttrValueSize];   // copy of ServerName
  char resolved[kAttrValueSize];  // copy of the resolved list
  char item[kAttrValueSize];      // the primary's resolved item
  bool found;                     // the host resolved, now or when the list was read
};

// The host's item: taken over from the list when the primary's host is
// unchanged, else looked up; a secondary entry for the same server (same
// machine and port) is offered for removal from the copies. 0, or
// kCfgMatchPrimary when the user keeps the duplicate.
uint32_t ChoosePrimaryItem(DlgHwnd dialog, SetupContext* context, const char* host,
                           const char* port, PrimaryChoice* choice);
// The copies become the context's lists.
void AdoptPrimaryChoice(SetupContext* context, const PrimaryChoice& choice);
