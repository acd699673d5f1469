// Numbers of the setup library's messages. The results of its operations
// are these numbers too: 0 for success, 1 for cancelled or declined, and
// otherwise the message that tells the user why.
#pragma once

#include <cstdint>

enum : uint32_t {
  kCfgDone = 0,
  kCfgCancelled = 1,

  // Names the library works with.
  kCfgOdbcIni = 1,
  kCfgDefault = 2,
  kCfgKeyDsn = 3,
  kCfgKeyDescription = 4,
  kCfgKeyServerName = 5,
  kCfgKeyUid = 6,
  kCfgKeyArrayFetchOn = 7,
  kCfgKeyArrayBufferSize = 8,
  kCfgKeyServerDsn = 9,

  kCfgMsgTitle = 20000,
  kCfgBadDsn = 20001,
  // The server data source name is not valid; shown with the text of 20001.
  kCfgBadServerDsn = 20002,
  kCfgBadRequest = 20003,
  kCfgInvalidNumber = 20004,
  kCfgNotFound = 20005,
  kCfgEmpty = 20006,
  kCfgInvalidPort = 20007,
  // Moves the focus only; no box.
  kCfgFocusOnly = 20008,
  kCfgBadServerList = 20009,
  kCfgInvalidListOp = 20010,
  kCfgTooManyServers = 20011,
  kCfgMatchPrimary = 20012,
  kCfgMatchSecondary = 20013,
  kCfgSocketError = 20014,
  kCfgQueryRemove = 20015,
  kCfgAddServer = 1403,
  kCfgModifyServer = 1404,
  kCfgOdbcWrite = 20016,
  kCfgOutOfMemory = 20017,
  kCfgSyntax = 20018,
  kCfgOtherDriver = 20019,
  kCfgNoDialog = 20020,
  kCfgUnknownRequest = 20021,
};
