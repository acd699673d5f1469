#include "tools/shared/tool_messages.h"

#include <algorithm>

#include "common/msg_format.h"

const MsgDefault kToolDialogMessages[] = {
    {kIdsCaption, "VEL_IDS_CAPTION", "VeltoClient Configuration"},
    {kIdsWinsockErr, "VEL_IDS_WINSOCKERR",
     "Can not initialize Windows Sockets. Contact your system administrator for assistance."},
    {kIdsPortNum, "VEL_IDS_PORTNUM", "Port number must be in the range 1024 to 65535."},
    {kIdsTimeoutRange, "VEL_IDS_TIMEOUT_RANGE", "Timeout must be in the range 1 to 999 seconds."},
    {kIdsMemoryErr, "VEL_IDS_MEMORY_ERR",
     "You do not have enough memory available to continue. Close all applications and re-run "
     "VeltoClient Configuration."},
    {kIdsRemove, "VEL_IDS_REMOVE", "Are you sure you want to do this?"},
    {kIdsRemoveErr, "VEL_IDS_REMOVE_ERR", "Error removing data source, action is stopped."},
    {kIdsCreateFileErr, "VEL_IDS_CREATEFILE_ERR", "Can not create report file."},
    {kIdsTimeout, "VEL_IDS_TIMEOUT",
     "VeltoClient cannot communicate with VeltoServer. Contact your system administrator for "
     "assistance."},
    {kIdsNoSources, "VEL_IDS_NOSOURCES",
     "You have not been granted access to any data sources. Contact your system administrator "
     "for assistance."},
    {kIdsAdded, "VEL_IDS_ADDED", "Added/updated %d data sources."},
    {kIdsReportHeading, "VEL_IDS_REPORT_HEADING",
     "VeltoClient Configuration Data Source Report: %s\n"},
    {kIdsReportServer, "VEL_IDS_REPORT_SERVER", "Server: %s\n"},
    {kIdsReportAdded, "VEL_IDS_REPORT_ADDED", "Data Sources to be added:\n"},
    {kIdsReportUpdated, "VEL_IDS_REPORT_UPDATED", "Data Sources to be updated:\n"},
    {kIdsSocketErr, "VEL_IDS_SOCKET_ERR",
     "VeltoClient attempted to use a port which is already in use by another application. "
     "Contact your system administrator for assistance."},
    {kIdsTimerErr, "VEL_IDS_TIMER_ERR",
     "The system cannot start a timer. Close all applications and re-run VeltoClient "
     "Configuration. If you are still unable to run Setup, contact your system administrator for "
     "assistance."},
    {kIdsDirectServerErr, "VEL_IDS_DIRECTSERVER_ERR",
     "Please enter the name of a known VeltoServer server."},
    {kIdsClassRegErr, "VEL_IDS_CLASSREG_ERR", "RegisterClass failed. Can not continue."},
    {kIdsUpdateEveryXHourErr, "VEL_IDS_UPDATEEVERYXHOUR_ERR",
     "You have entered an invalid update frequency. Enter a valid update frequency in the range "
     "%ld to %ld hours."},
    {kIdsRemoveScr, "VEL_IDS_REMOVE_SCR",
     "Are you sure you want to remove the selected data sources?"},
    {kIdsInvalidPort, "VEL_IDS_INVALIDPORT",
     "You have entered an invalid port or service name. Enter a valid port or service name."},
    {kIdsDuplicatePorts, "VEL_IDS_DUPLICATEPORTS",
     "You have entered the same port number for VeltoServer and VeltoServices. Enter a different "
     "port number for each."},
    {kIdsCaptionScr, "VEL_IDS_CAPTION_SCR", "VeltoClient"},
    {kIdsWriteErr, "VEL_IDS_WRITE_ERR",
     "Failed to update INI file/Registry. Check that there is enough disk space."},
    {kIdsCantResolveName, "VEL_IDS_CANTRESOLVENAME",
     "You have entered an unknown computer name. Please check it or contact your system "
     "administrator for assistance."},
    {kIdsReportRemoved, "VEL_IDS_REPORT_REMOVED", "Data Sources to be removed:\n"},
    {kIdsReadErr, "VEL_IDS_READ_ERR",
     "Can not read the data source file %s. Check that it is a file you may read."},
    {0, nullptr, nullptr},
};

const MsgDefault kToolUpdateMessages[] = {
    {kIdsRemoved, "VEL_IDS_REMOVED", "Removed %d data sources."},
    {0, nullptr, nullptr},
};

std::vector<MsgDefault> JoinMessageRows(std::initializer_list<const MsgDefault*> tables,
                                        std::initializer_list<uint32_t> skip) {
  std::vector<MsgDefault> rows;
  for (const MsgDefault* table : tables) {
    for (const MsgDefault* row = table; row->number != 0; ++row) {
      if (std::find(skip.begin(), skip.end(), row->number) == skip.end()) rows.push_back(*row);
    }
  }
  rows.push_back(MsgDefault{0, nullptr, nullptr});
  return rows;
}

std::string ToolMessage(uint32_t number) {
  const MsgDefault* rows = kToolDialogMessages;
  for (const MsgDefault* row = kToolUpdateMessages; row->number != 0; ++row) {
    if (row->number == number) rows = kToolUpdateMessages;
  }
  char text[1024];
  MsgGetTextOr(rows, number, text, sizeof text);
  return text;
}

std::string ToolMessageWithNumber(uint32_t number, long value) {
  return MsgFormatChecked(ToolMessage(number).c_str(), {MsgArg::Number(value)});
}

int ShowToolText(DlgHwnd owner, uint32_t caption, const std::string& text, uint32_t type) {
  return MessageBox(owner, text.c_str(), ToolMessage(caption).c_str(), type);
}

int ShowToolMessage(DlgHwnd owner, uint32_t caption, uint32_t number, uint32_t type) {
  std::string text = ToolMessage(number);
  if (number == kIdsCantResolveName && text.empty()) {
    for (const MsgDefault* row = kToolDialogMessages; row->number != 0; ++row) {
      if (row->number == number) text = row->text;
    }
  }
  return ShowToolText(owner, caption, text, type);
}
