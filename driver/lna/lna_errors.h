// The diagnostics the call layer makes itself: one saved slot per
// connection and per statement, filled from a message number and a
// location, and the step that turns a transport failure into a diagnostic
// and a broken connection.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/lna/lna_records.h"

// Messages the call layer posts.
enum : uint32_t {
  kLnaMsgDisconnect = 5101,
  kLnaMsgTruncated = 5102,
  kLnaMsgGeneric = 5135,
  kLnaMsgNoMemory = 5136,
  kLnaMsgBadAttr = 5175,
  kLnaMsgNoEquals = 5177,
  kLnaMsgSqlState = 8106,
  kLnaMsgServerCrash = 8113,
  kLnaMsgDeadConnection = 8124,
  kLnaMsgNoServerName = 8125,
  kLnaMsgLayerPrefix = 0x80001F41u,
  kLnaMsgDataNotFound = 0x80001FAEu,
  kLnaMsgServerNotFound = 0x80001FAFu,
  kLnaMsgServerNotRunning = 0x80001FB0u,
  kLnaMsgAsyncWrongOwner = 0x80001FB7u,
  kLnaMsgAsyncUnknownState = 0x80001FB8u,
  kLnaMsgAsyncNoRecord = 0x80001FB9u,
  kLnaMsgAsyncNotAllowed = 0x80001FBAu,
  kLnaMsgAsyncWrongCancel = 0x80001FBBu,
  kLnaMsgPack = 0x80001FC0u,
  kLnaMsgUnpack = 0x80001FC1u,
  kLnaMsgNetwork = 0x80001FC2u,
  kLnaMsgProtocolLib = 0x80001FC3u,
  kLnaMsgUnknownHost = 0x80001FC4u,
  kLnaMsgNoReply = 0x80001FC5u,
  kLnaMsgCancelRefused = 0x80001FC6u,
};

// Location numbers: the native number of a client-made diagnostic.
enum : int32_t {
  kLocNoServerName = 1101,
  kLocNoServerConn = 1102,
  kLocSetConnOption = 1108,
  kLocGetConnOption = 1109,
  kLocGetInfo = 1110,
  kLocDisconnect = 1111,  // also: an information text cut to fit
  kLocInfoShort16 = 1112,
  kLocInfoShort32 = 1113,
  kLocTransact = 1114,
  kLocStmtDiagnostics = 1201,
  kLocConnDiagnostics = 1202,
  kLocPrepare = 1301,
  kLocParamDescs = 1302,
  kLocOutputDescs = 1303,
  kLocExecute = 1304,
  kLocExecDirect = 1305,
  kLocResultColumns = 1306,
  kLocFetch = 1401,
  kLocNoEquals = 1501,
  kLocBadAttr = 1502,
  kLocAsyncStarted = 1503,
  kLocAsyncCancelling = 1504,
  kLocAsyncUnknown = 1505,
  kLocAsyncNoRecord = 1506,
  kLocAsyncNotAllowed = 1507,
  kLocAllocStmt = 1601,
  kLocStmtList = 1603,
  kLocStmtRecord = 1604,
  kLocCancel = 1605,
  kLocCancelWrongStmt = 1606,
  kLocSetStmtOption = 1607,
  kLocGetStmtOption = 1608,
  kLocSetCursorName = 1609,
  kLocGetLongData = 1701,
  kLocPutLongData = 1702,
  kLocParamData = 1703,
  kLocCatalogBase = 1800,    // + 1 to 10, in the order of the catalog operations
  kLocTransportBase = 2000,  // + the procedure id
};

// Message text buffers hold this many characters and a NUL.
constexpr size_t kLnaDiagTextMax = 512;

// The diagnostic PostLnaError saves, without saving it.
LnaDiagRecord MakeLnaError(uint32_t message, uint32_t native_message, int32_t location);
// Builds the diagnostic of `message` (its first five characters the
// SQLSTATE) with the text of `native_message` (0: the rest of `message`)
// and saves it at `location`.
void PostLnaError(LnaConnection* conn, LnaStatement* stmt, uint32_t message,
                  uint32_t native_message, int32_t location);
// A client diagnostic: the SQLSTATE, the location as its native number,
// "[VeltoClient LNA]" and the text, cut to fit.
LnaDiagRecord MakeLnaDiagnostic(const char* sqlstate, int32_t location, const char* text);
// Saves into the statement's slot, else the connection's, else nowhere.
void SaveLnaDiagnostic(LnaConnection* conn, LnaStatement* stmt, const char* sqlstate,
                       int32_t location, const char* text);
// Appends `text` to `buffer` (kLnaDiagTextMax + 1 bytes), cutting it.
void AppendDiagText(char* buffer, const char* text);
// The diagnostic of the thread's last transport error for a failure of
// `procedure`, into *out; false when no transport error is set.
bool LnaTransportDiagnostic(uint32_t procedure, LnaDiagRecord* out);
// After a remote call returned -20: when the thread's last transport error
// is set, saves its diagnostic at 2000 + procedure and marks the connection
// broken; otherwise does nothing (the server's own failure).
void PostTransportError(LnaConnection* conn, LnaStatement* stmt, uint32_t procedure);
// The refusal of every remote operation on a broken connection: 5135 with
// the text of 8124 at `location`; -20.
int16_t RefuseBroken(LnaConnection* conn, LnaStatement* stmt, int32_t location);
