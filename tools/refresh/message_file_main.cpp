// Writes velref32's built-in messages as velref_messages.xml, the message file an
// installed system keeps beside the program, naming the driver as the
// installation registers it.
#include "tools/refresh/refresh_main.h"
#include "tools/shared/tool_message_file.h"

int main(int argc, char** argv) {
  return ToolWriteMessageFile(argc, argv, RefreshMessageRows(), VEL_DRIVER_NAME);
}
