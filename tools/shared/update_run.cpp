#include "tools/shared/update_run.h"

#include "tools/shared/tcp_discovery.h"
#include "tools/shared/tool_messages.h"
#include "tools/shared/tool_status.h"

UpdateRun RunDataSourceUpdate(const ToolEnv& env, const ServiceSettings& settings) {
  UpdateRun run;
  ServerEntries servers;
  run.discovery = DiscoverDataSources(env, &servers, settings);
  if (run.discovery != kCspDone) return run;
  run.registration = RegisterServerDataSources(env, servers, settings, &run.counts);
  if (run.registration >= 0)
    run.registration = UpdateDataSourceServers(env, servers, settings, &run.counts);
  if (run.registration >= 0) run.registration = SaveServerList(env, servers);
  if (run.registration >= 0) run.registration = SaveLastUpdateTime(env);
  return run;
}

void ShowDiscoveryFailure(DlgHwnd owner, uint32_t caption, int32_t status) {
  uint32_t text = kIdsMemoryErr;
  switch (status) {
    case kCspTimedOut:
      text = kIdsTimeout;
      break;
    case kCspSocketError:
      text = kIdsSocketErr;
      break;
    case kCspTimerFailed:
      text = kIdsTimerErr;
      break;
    case kCspNothingFound:
      text = kIdsNoSources;
      break;
  }
  MessageBeep(MB_ICONEXCLAMATION);
  ShowToolMessage(owner, caption, text, MB_ICONEXCLAMATION);
}

void ShowUpdateOutcome(DlgHwnd owner, uint32_t caption, const UpdateRun& run) {
  if (run.discovery != kCspDone) {
    ShowDiscoveryFailure(owner, caption, run.discovery);
  } else if (run.registration < 0) {
    ShowToolMessage(owner, caption, kIdsWriteErr, MB_ICONEXCLAMATION);
  } else {
    std::string text = ToolMessageWithNumber(kIdsAdded, run.counts.data_sources);
    // What went is said too: removed data sources may have held the user's
    // own settings.
    if (run.counts.removed != 0) {
      text += ' ';
      text += ToolMessageWithNumber(kIdsRemoved, run.counts.removed);
    }
    ShowToolText(owner, caption, text, MB_ICONINFORMATION);
  }
}

void UpdateDataSourcesNow(DlgHwnd owner, uint32_t caption, const ToolEnv& env,
                          const ServiceSettings& settings) {
  DlgCursor before = SetCursor(DlgCursor::kWait);
  UpdateRun run = RunDataSourceUpdate(env, settings);
  ShowUpdateOutcome(owner, caption, run);
  SetCursor(before);
}
