// The texts the configuration utility and the refresh program show, and
// the message boxes that show them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/messages.h"
#include "platform/dialog.h"

// Numbers of the VEL_IDS_ rows (those written in hexadecimal carry the top
// bit).
enum : uint32_t {
  kIdsCaption = 0x80004E84u,
  kIdsWinsockErr = 20101,
  kIdsPortNum = 20102,
  kIdsTimeoutRange = 20103,
  kIdsMemoryErr = 20104,
  kIdsRemove = 20105,
  kIdsRemoveErr = 20106,
  kIdsCreateFileErr = 20107,
  kIdsTimeout = 0x80004E8Cu,
  kIdsNoSources = 20109,
  kIdsAdded = 0x80004E8Eu,
  kIdsReportHeading = 0x80004E8Fu,
  kIdsReportServer = 20112,
  kIdsReportAdded = 20113,
  kIdsReportUpdated = 20114,
  kIdsSocketErr = 0x80004E93u,
  kIdsTimerErr = 20116,
  kIdsDirectServerErr = 0x80004E95u,
  kIdsClassRegErr = 20118,
  kIdsUpdateEveryXHourErr = 20119,
  kIdsRemoveScr = 20120,
  kIdsInvalidPort = 20121,
  kIdsDuplicatePorts = 0x80004E9Au,
  kIdsCaptionScr = 0x80004E9Bu,
  kIdsWriteErr = 20124,
  kIdsCantResolveName = 20125,
  // After those: what an update removes, and a data source file that
  // cannot be read.
  kIdsRemoved = 20126,
  kIdsReportRemoved = 20127,
  kIdsReadErr = 20128,
};

// The 26 rows and the utility's VEL_IDS_REPORT_REMOVED and
// VEL_IDS_READ_ERR, ended by a row of number 0.
extern const MsgDefault kToolDialogMessages[];
// VEL_IDS_REMOVED, which every tool tells after an update that removed
// data sources; ended by a row of number 0.
extern const MsgDefault kToolUpdateMessages[];

// The rows of `tables` one after the other (each ended by number 0),
// leaving out the numbers `skip`, ended by a row of number 0: a program's
// built-in table, which must outlive the catalogue.
std::vector<MsgDefault> JoinMessageRows(std::initializer_list<const MsgDefault*> tables,
                                        std::initializer_list<uint32_t> skip = {});

// The catalogue's text of `number` (the built-in one of these rows when the
// catalogue has none).
std::string ToolMessage(uint32_t number);
// The text of `number` used as a format with one number.
std::string ToolMessageWithNumber(uint32_t number, long value);

// A box titled with the text of `caption`, showing the text of `number`;
// the box's answer. An empty text of VEL_IDS_CANTRESOLVENAME is replaced by
// its built-in one.
int ShowToolMessage(DlgHwnd owner, uint32_t caption, uint32_t number, uint32_t type);
// The same with an already made text.
int ShowToolText(DlgHwnd owner, uint32_t caption, const std::string& text, uint32_t type);
