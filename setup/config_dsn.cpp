#include "setup/config_dsn.h"

#include <odbcinst.h>

#include <cstring>
#include <string>

#include "common/str_util.h"
#include "setup/attribute_list.h"
#include "setup/config_mode.h"
#include "setup/dsn_ini.h"
#include "setup/installer_error.h"
#include "setup/number_checks.h"
#include "setup/server_list.h"
#include "setup/setup_codes.h"
#include "setup/setup_dialogs.h"
#include "setup/setup_module.h"
#include "setup/write_data_source.h"

namespace {

void SetArgument(ConfigOutcome* outcome, const char* text) {
  size_t n = strnlen(text, sizeof outcome->argument - 1);
  std::memcpy(outcome->argument, text, n);
  outcome->argument[n] = '\0';
}

uint32_t RefuseName(ConfigOutcome* outcome, uint32_t code, const char* name) {
  SetArgument(outcome, name);
  return code;
}

// The checks of a silent call, in order; 0 when all pass. Out-of-range
// array values are not errors: they take their defaults.
uint32_t CheckSilentAttributes(SetupContext* context, ConfigOutcome* outcome) {
  AttributeRecord* records = context->attributes;
  const char* dsn = records[kAttrDsn].value;
  if (!UsableDsnName(dsn)) return RefuseName(outcome, kCfgBadDsn, dsn);
  const char* server_dsn = records[kAttrServerDsn].value;
  if (records[kAttrServerDsn].given && !UsableDsnName(server_dsn)) {
    return RefuseName(outcome, kCfgBadServerDsn, server_dsn);
  }
  uint32_t number = 0;
  if (records[kAttrArrayFetchOn].given &&
      !CheckNumberRange(records[kAttrArrayFetchOn].value, 0, 1, &number)) {
    SetAttributeValue(&records[kAttrArrayFetchOn], "1");
  }
  if (records[kAttrArrayBufferSize].given &&
      !ValidateBufferSize(records[kAttrArrayBufferSize].value, &number)) {
    SetAttributeValue(&records[kAttrArrayBufferSize], "8");
  }
  char* servers = records[kAttrServerName].value;
  if (records[kAttrServerName].given && *servers != '\0' && !ValidateServerList(servers)) {
    return kCfgBadServerList;
  }
  if (!NormalizeServerList(servers, records[kAttrResolved].value)) return kCfgTooManyServers;
  return kCfgDone;
}

uint32_t RemoveDataSource(SetupContext* context, ConfigOutcome* outcome) {
  const char* dsn = context->attributes[kAttrDsn].value;
  if (!UsableDsnName(dsn)) return RefuseName(outcome, kCfgBadDsn, dsn);
  if (FindDsnSection(dsn, context->driver) == DsnSection::kOtherDriver) {
    return RefuseName(outcome, kCfgOtherDriver, dsn);
  }
  return SQLRemoveDSNFromIni(dsn) ? kCfgDone : kCfgOdbcWrite;
}

uint32_t AddOrConfigure(SetupContext* context, ConfigOutcome* outcome) {
  const char* dsn = context->attributes[kAttrDsn].value;
  context->is_default = StrCaseCompare(dsn, SetupDefaultName()) == 0 ? 1 : 0;
  if (!context->silent) return RunConfigureDialog(context->parent, context);
  uint32_t code = WriteDataSource(context);
  if (code == kCfgOtherDriver) SetArgument(outcome, dsn);
  return code;
}

uint32_t Configure(SetupContext* context, uint16_t request, const char* attributes,
                   ConfigOutcome* outcome) {
  context->attributes = AllocAttributeTable();
  if (context->attributes == nullptr) return kCfgOutOfMemory;
  context->count = kAttrCount;
  if (attributes != nullptr) {
    std::string refused;
    uint32_t code = ParseAttributes(attributes, context, &refused);
    if (code != kCfgDone) {
      SetArgument(outcome, refused.c_str());
      return code;
    }
  }
  if (context->silent) {
    uint32_t code = CheckSilentAttributes(context, outcome);
    if (code != kCfgDone) return code;
  }
  if (request == ODBC_REMOVE_DSN) return RemoveDataSource(context, outcome);
  return AddOrConfigure(context, outcome);
}

}  // namespace

ConfigOutcome RunConfigDsn(void* parent, uint16_t request, const char* driver,
                           const char* attributes) {
  ConfigOutcome outcome{};
  UWORD current = ODBC_BOTH_DSN;
  if (!SQLGetConfigMode(&current)) current = ODBC_BOTH_DSN;
  UWORD mode = SingleConfigMode(current);
  switch (request) {
    case ODBC_ADD_DSN:
    case ODBC_CONFIG_DSN:
    case ODBC_REMOVE_DSN:
      break;
    case ODBC_ADD_SYS_DSN:
    case ODBC_CONFIG_SYS_DSN:
    case ODBC_REMOVE_SYS_DSN:
      mode = ODBC_SYSTEM_DSN;
      request = static_cast<uint16_t>(request - ODBC_ADD_SYS_DSN + ODBC_ADD_DSN);
      break;
    default:
      outcome.code = kCfgUnknownRequest;
      SetArgument(&outcome, std::to_string(request).c_str());
      return outcome;
  }
  ConfigModeScope scope(mode);
  SetupContext context{};
  context.parent = parent;
  context.instance = GetModuleInstance();
  context.silent = parent == nullptr ? 1 : 0;
  context.driver = driver != nullptr ? driver : "";
  BuildHelpFilePath(context.instance, context.help_file, sizeof context.help_file);
  outcome.code = Configure(&context, request, attributes, &outcome);
  FreeAttributeTable(context.attributes);
  return outcome;
}

bool ConfigDsnEntry(void* parent, uint16_t request, const char* driver, const char* attributes) {
  ConfigOutcome outcome = RunConfigDsn(parent, request, driver, attributes);
  if (outcome.code == kCfgDone || outcome.code == kCfgCancelled) return true;
  if (parent != nullptr) {
    ShowConfigMessage(GetModuleInstance(), nullptr, outcome.code, outcome.argument, 0, 0);
  }
  PostConfigError(outcome.code, outcome.argument);
  return false;
}
