#include "setup/installer_error.h"

#include <odbcinst.h>

#include "setup/config_message.h"
#include "setup/setup_codes.h"

uint32_t InstallerErrorOf(uint32_t code) {
  switch (code) {
    case kCfgBadDsn:
      return ODBC_ERROR_INVALID_DSN;
    case kCfgBadServerDsn:
    case kCfgBadServerList:
    case kCfgTooManyServers:
    case kCfgSyntax:
      return ODBC_ERROR_INVALID_KEYWORD_VALUE;
    case kCfgBadRequest:
    case kCfgUnknownRequest:
      return ODBC_ERROR_INVALID_REQUEST_TYPE;
    case kCfgNoDialog:
      return ODBC_ERROR_INVALID_HWND;
    case kCfgOutOfMemory:
      return ODBC_ERROR_OUT_OF_MEM;
    case kCfgOdbcWrite:
    case kCfgOtherDriver:
      return ODBC_ERROR_REQUEST_FAILED;
    default:
      return ODBC_ERROR_GENERAL_ERR;
  }
}

void PostConfigError(uint32_t code, const char* argument) {
  ConfigMessage message = BuildConfigMessage(code, argument, "", 0);
  SQLPostInstallerError(InstallerErrorOf(code), message.body.c_str());
}
