// The data-source update the three tools run: discovery, then the four
// registration steps, each only when the one before succeeded.
#pragma once

#include <cstdint>

#include "platform/dialog.h"
#include "tools/shared/registration.h"
#include "tools/shared/service_settings.h"
#include "tools/shared/tool_env.h"

struct UpdateRun {
  // Discovery's result; registration runs only when it is kCspDone.
  int32_t discovery = 0;
  // The first failing registration step's result, else kCspDone.
  int32_t registration = 0;
  RegistrationResult counts;

  // The outcome as one code: discovery's when it did not finish with
  // kCspDone, else registration's.
  int32_t Status() const { return discovery != 0 ? discovery : registration; }
};

UpdateRun RunDataSourceUpdate(const ToolEnv& env, const ServiceSettings& settings);

// The box of a discovery result other than kCspDone (beep first):
// VEL_IDS_TIMEOUT, _SOCKET_ERR, _TIMER_ERR, _NOSOURCES, else _MEMORY_ERR.
void ShowDiscoveryFailure(DlgHwnd owner, uint32_t caption, int32_t status);
// The update's boxes: a discovery failure as above, a failed registration
// as VEL_IDS_WRITE_ERR, else VEL_IDS_ADDED with the number of data sources
// added or updated, followed by VEL_IDS_REMOVED with the number removed
// when there are any.
void ShowUpdateOutcome(DlgHwnd owner, uint32_t caption, const UpdateRun& run);

// The update behind the wait cursor, then those boxes, captioned with the
// text of `caption`: the utility's "update now" and the refresh program.
void UpdateDataSourcesNow(DlgHwnd owner, uint32_t caption, const ToolEnv& env,
                          const ServiceSettings& settings);
