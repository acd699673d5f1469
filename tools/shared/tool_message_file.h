// A tool's message file. The tool reads it from the current directory when
// one is there, else from beside the program (as in the build folder), else
// from the installation's data folder (<prefix>/share/velto beside
// <prefix>/bin), where an installed system keeps it; the installed file is
// written at build time from the tool's built-in rows, naming the driver as
// the installation registers it.
#pragma once

#include "common/messages.h"

// Installs the catalogue over `rows` (which must outlive it) and the file
// `file_name` where it is found.
void ToolLoadMessages(const MsgDefault* rows, const char* file_name);

// A generator's main: writes `rows` (ended by number 0) to the path in
// argv[1], the text of VEL_REG_CLI_NAME replaced by `driver_name`. The exit
// code.
int ToolWriteMessageFile(int argc, char** argv, const MsgDefault* rows, const char* driver_name);
