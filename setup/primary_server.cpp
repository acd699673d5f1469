#include "setup/primary_server.h"

#include <cstring>

#include "common/str_util.h"
#include "setup/host_lookup.h"
#include "setup/server_list.h"
#include "setup/setup_codes.h"
#include "setup/setup_dialogs.h"

uint32_t ChoosePrimaryItem(DlgHwnd dialog, SetupContext* context, const char* host,
                           const char* port, PrimaryChoice* choice) {
  std::memcpy(choice->servers, context->attributes[kAttrServerName].value, kAttrValueSize);
  std::memcpy(choice->resolved, context->attributes[kAttrResolved].value, kAttrValueSize);
  choice->item[0] = '\0';
  if (IsNthEntryHost(context, host, 0)) {
    GetNthListEntry(choice->resolved, choice->item, sizeof choice->item, 0);
    // An item that is the host text itself did not resolve.
    choice->found = choice->item[0] != '\0' && StrCaseCompare(choice->item, host) != 0;
    return kCfgDone;
  }
  DlgCursor previous = BeginWaitCursor();
  choice->found = ResolveHostToText(host, choice->item, sizeof choice->item) != 0;
  EndWaitCursor(previous);
  uint32_t n = 0;
  if (FindServer(choice->servers, choice->resolved, choice->item, port, 1, &n)) {
    if (!AskRemoveDuplicatePrimary(dialog, context)) return kCfgMatchPrimary;
    DeleteNthListEntry(choice->servers, n);
    DeleteNthListEntry(choice->resolved, n);
  }
  return kCfgDone;
}

void AdoptPrimaryChoice(SetupContext* context, const PrimaryChoice& choice) {
  std::memcpy(context->attributes[kAttrServerName].value, choice.servers, kAttrValueSize);
  std::memcpy(context->attributes[kAttrResolved].value, choice.resolved, kAttrValueSize);
}
