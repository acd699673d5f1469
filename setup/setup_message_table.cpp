#include "setup/setup_message_table.h"

#include "setup/setup_codes.h"

const MsgDefault kSetupMessages[] = {
    {kCfgOdbcIni, "VEL_ODBC_INI", "ODBC.INI"},
    {kCfgDefault, "VEL_DEFAULT", "Default"},
    {kCfgKeyDsn, "VEL_DSN", "DSN"},
    {kCfgKeyDescription, "VEL_DESCRIPTION", "Description"},
    {kCfgKeyServerName, "VEL_SERVER_NAME", "ServerName"},
    {kCfgKeyUid, "VEL_UID", "UID"},
    {kCfgKeyArrayFetchOn, "VEL_ARRAY_FETCH_ON", "ArrayFetchOn"},
    {kCfgKeyArrayBufferSize, "VEL_ARRAY_BUFFER_SIZE", "ArrayBufferSize"},
    {kCfgKeyServerDsn, "VEL_SERVER_DSN", "ServerDSN"},
    {kCfgMsgTitle, "VEL_IDS_MSGTITLE", "VeltoClient ODBC Configuration"},
    {kCfgBadDsn, "VEL_IDS_BADDSN",
     "'%s'\n cannot be used as a data source name. Make sure that it \ncontains at least one "
     "non-blank character, and that it doesn't contain any of\nthe following characters: [ ] { } "
     "( ) ? * = ! @ , "},
    {kCfgBadRequest, "VEL_IDS_BADREQUEST",
     "Add new VeltoClient data sources using the administration utility"},
    {kCfgInvalidNumber, "VEL_IDS_INVALIDNUMBER", "%s must be a number in the range %d - %d"},
    {kCfgNotFound, "VEL_IDS_NOTFOUND", "Server '%s' cannot be found. Do you want to continue?"},
    {kCfgEmpty, "VEL_IDS_EMPTY", "This is a required field. Please enter data before continuing."},
    {kCfgInvalidPort, "VEL_IDS_INVALIDPORT", "Port must be in the range 1 - 65535."},
    {kCfgBadServerList, "VEL_IDS_BADSERVERLIST",
     "Verify that the Secondary Server Addresses and Ports are in the correct format."},
    {kCfgInvalidListOp, "VEL_IDS_INVALID_LIST_OP", "An error occurred while modifying the list."},
    {kCfgTooManyServers, "VEL_IDS_TOOMANYSERVERS", "The Server list contains too many servers."},
    {kCfgMatchPrimary, "VEL_IDS_MATCH_PRIMARY",
     "A duplicate server has been found in the Secondary Server list.\nIf you proceed the "
     "duplicate will be removed from the list.\nDo you want to Continue?"},
    {kCfgMatchSecondary, "VEL_IDS_MATCH_SECONDARY",
     "Duplicate addresses are not permitted in the server list."},
    {kCfgSocketError, "VEL_IDS_SOCKET_ERROR",
     "There is a problem with your Windows Sockets library."},
    {kCfgQueryRemove, "VEL_IDS_QUERY_REMOVE", "Are you sure you want to remove the server?"},
    {kCfgAddServer, "VEL_IDS_ADD_SERVER", "Add Server"},
    {kCfgModifyServer, "VEL_IDS_MODIFY_SERVER", "Modify Server"},
    {kCfgOdbcWrite, "VEL_IDS_ODBCWRITE", "An error occurred while writing to the ODBC.INI file."},
    {kCfgOutOfMemory, "VEL_IDS_OUTOFMEMORY", "Failed to allocate memory."},
    {kCfgSyntax, "VEL_IDS_SYNTAX", "Syntax error in attribute string."},
    // A data source of the same name that another driver owns is left alone.
    {kCfgOtherDriver, "VEL_IDS_OTHER_DRIVER",
     "'%s' is a data source of another driver; it was not changed."},
    // A window was given, but nothing here can show the dialog.
    {kCfgNoDialog, "VEL_IDS_NO_DIALOG",
     "The configuration dialog cannot be shown here (it needs a terminal). Give the data "
     "source's attributes without a window to set it up silently."},
    // A request outside 1 to 6, named by its number.
    {kCfgUnknownRequest, "VEL_IDS_UNKNOWN_REQUEST",
     "Request %s is unknown: a data source can only be added, configured or removed (requests 1 "
     "to 3 for user data sources, 4 to 6 for system ones)."},
    {0, nullptr, nullptr},
};
